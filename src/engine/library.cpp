#include "engine/library.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "engine/disc_set.h"
#include "engine/disc_tracks.h"
#include "engine/merge_session.h"
#include "engine/output_folder.h"
#include "options/disc_ending.h"
#include "options/merge_options_form.h"
#include "options/merge_preparation.h"
#include "options/merge_settings.h"
#include "options/title_numbers.h"
#include "platform/ascii_case.h"
#include "platform/file_system.h"
#include "tags/diagnostic.h"

namespace brambex {

namespace {

// Deeper than any library is laid out; a link that leads back up the tree ends here.
constexpr int MaxDepth = 32;

// One entry of a listed folder, with what the walk learnt of it when it was a folder.
struct Entry {
    explicit Entry(platform::FoundEntry entry) : found(std::move(entry)) {}
    platform::FoundEntry found;
    bool output = false;
    int mp3s = 0;            // files ending in ".mp3" directly in it
    std::string firstTrack;  // the name of its first track, empty when none
};

std::string LastName(std::string_view path) {
    std::size_t at = path.size();
    while (at > 0 && !platform::IsSeparator(path[at - 1]))
        --at;
    return std::string(path.substr(at));
}

// The title a set gets from its folder's name: "Moby Dick" of "Moby Dick Disc 1"; the
// parent folder's name for a disc folder named only by its number ("Disc 1").
std::string FolderTitle(const std::string& discOneName, const std::string& setFolder) {
    // With a blank in front, a name that is all ending ("Disc 1", "CD1") has one too.
    std::string title = " " + discOneName;
    if (std::optional<DiscEnding> ending = FindDiscEnding(title))
        title.resize(ending->at);
    title.erase(0, 1);
    while (!title.empty() && (title.back() == ' ' || title.back() == '-'))
        title.pop_back();
    if (title.empty())
        title = LastName(setFolder);
    return ProposedTitle(title);
}

// The name of the first output folder that a merge titled so would fill, by the rules
// the merge itself names its folders with.
std::string FirstOutputFolder(const std::string& title, int tracks) {
    MergeSettings settings;
    settings.outputFolder = title;
    settings.splitFolders = tracks > MaxTracksPerFolder;
    if (std::optional<std::size_t> split = FolderSplitAt(title)) {
        settings.outputFolder.resize(*split);
        settings.splitFolders = true;
    }
    return OutputFolderName(settings, 1);
}

void SetTitle(LibrarySet& set, std::string title, bool fromFolder) {
    set.title = std::move(title);
    set.titleFromFolder = fromFolder;
    set.outputFolder = FirstOutputFolder(set.title, set.tracks);
}

// Two sets beside each other must never fill (or empty) the same output folder: those
// that would take the titles of their folders, and where even those agree, their
// disc-1 folders' whole names.
void SeparateOutputFolders(std::vector<LibrarySet>& sets) {
    for (int round = 0; round < 2; ++round) {
        std::map<std::string, int> users;
        for (const LibrarySet& set : sets)
            ++users[LowerAscii(set.outputFolder)];
        for (LibrarySet& set : sets) {
            if (users[LowerAscii(set.outputFolder)] < 2)
                continue;
            const std::string name = LastName(set.discOneFolder);
            if (round == 0)
                SetTitle(set, FolderTitle(name, set.setFolder), true);
            else
                SetTitle(set, name + std::string(FirstFolderEnding), true);
        }
    }
}

// The sets whose disc-1 folders are entries of the folder.
void SetsAmong(const std::string& folder, const std::string& relative,
               const std::vector<Entry>& entries, const std::function<void(LibrarySet)>& found) {
    std::vector<LibrarySet> sets;
    for (const Entry& first : entries) {
        if (!first.found.isFolder || first.output)
            continue;
        const std::string chosen = platform::JoinPath(folder, first.found.name);
        bool suffixFound = false;
        const std::string stemName = LastName(DiscFolderStem(chosen, suffixFound));
        // A folder without a disc-1 ending is a set only when chosen by hand.
        if (!suffixFound || stemName.empty())
            continue;
        LibrarySet set;
        set.relativeFolder = platform::JoinPath(relative, first.found.name);
        set.discOneFolder = chosen;
        set.setFolder = folder;
        std::string firstTrack;
        if (!first.firstTrack.empty())
            firstTrack = platform::JoinPath(first.found.name, first.firstTrack);
        const std::string pattern = stemName + "*";
        for (const Entry& disc : entries) {
            if (!platform::MatchesWildcard(pattern, disc.found.name) ||
                !CountsAsDisc(disc.found, platform::JoinPath(folder, disc.found.name)))
                continue;
            ++set.discs;
            set.tracks += disc.mp3s;
            if (firstTrack.empty() && !disc.firstTrack.empty())
                firstTrack = platform::JoinPath(disc.found.name, disc.firstTrack);
        }
        // A folder named like disc 1 whose set holds no tracks is a shelf ("Box 1"),
        // not a rip.
        if (set.tracks == 0)
            continue;
        MergeSettings tags;
        {
            // What the codec notes of the track is said when the set is merged; here it
            // would only stand between the rows of the table.
            ThreadDiagnosticSink quiet([](std::string_view, void*) {}, nullptr);
            ReadFirstTrackTags(tags, platform::JoinPath(folder, firstTrack));
        }
        set.artist = tags.artist;
        const std::string title = ProposedTitle(tags.albumTitle);
        if (title.size() > FirstFolderEnding.size())
            SetTitle(set, title, false);
        else
            SetTitle(set, FolderTitle(first.found.name, folder), true);
        sets.push_back(std::move(set));
    }
    SeparateOutputFolders(sets);
    for (LibrarySet& set : sets) {
        ReadMergedState(set);
        found(std::move(set));
    }
}

// Lists the folder once: what the parent needs of it goes into `self`, and the sets
// among its entries are reported after its sub-folders'.
void Walk(const std::string& folder, const std::string& relative, int depth, Entry& self,
          const std::function<void(LibrarySet)>& found) {
    std::vector<platform::FoundEntry> listing =
        platform::FindMatching(platform::JoinPath(folder, "*"));
    DiscTracks tracks = TracksAmong(listing);
    if (!tracks.tracks.empty())
        self.firstTrack = tracks.tracks.front().name;
    std::vector<Entry> entries;
    entries.reserve(listing.size());
    for (platform::FoundEntry& item : listing) {
        if (!item.isFolder) {
            if (platform::MatchesWildcard("*.mp3", item.name))
                ++self.mp3s;
            // A link out of reach may stand for a disc folder.
            if (platform::IsBrokenLink(platform::JoinPath(folder, item.name)))
                entries.emplace_back(std::move(item));
            continue;
        }
        Entry entry(std::move(item));
        const std::string path = platform::JoinPath(folder, entry.found.name);
        entry.output = IsOutputFolder(path);
        if (!entry.output && depth < MaxDepth)
            Walk(path, platform::JoinPath(relative, entry.found.name), depth + 1, entry, found);
        entries.push_back(std::move(entry));
    }
    SetsAmong(folder, relative, entries, found);
}

// A front end that only keeps the first message, for the check.
class MessageKeeper : public FrontEnd {
  public:
    std::string message;

    void ShowMessage(std::string_view text, std::optional<std::string_view>,
                     MessageStyle) override {
        if (message.empty())
            message = text;
    }
    Answer Ask(std::string_view text, std::optional<std::string_view> caption) override {
        ShowMessage(text, caption, MessageStyle::Question);
        return Answer::No;
    }
    bool RunMergeOptions(MergeOptionsForm&) override { return false; }
    std::unique_ptr<ProgressWindow> OpenProgress(std::string_view, std::string_view, int) override {
        return nullptr;
    }
    void AddFolder(std::string_view) override {}
    void SetFolderGroupCaption(std::string_view) override {}
};

}  // namespace

void ForEachLibrarySet(const std::string& folder, const std::function<void(LibrarySet)>& found) {
    Entry root({LastName(folder), true});
    Walk(folder, "", 0, root, found);
}

std::vector<LibrarySet> FindLibrarySets(const std::string& folder) {
    std::vector<LibrarySet> sets;
    ForEachLibrarySet(folder, [&](LibrarySet set) { sets.push_back(std::move(set)); });
    std::sort(sets.begin(), sets.end(), [](const LibrarySet& a, const LibrarySet& b) {
        return a.relativeFolder < b.relativeFolder;
    });
    return sets;
}

void ReadMergedState(LibrarySet& set) {
    const std::string output = platform::JoinPath(set.setFolder, set.outputFolder);
    const bool ours = IsOutputFolder(output);
    set.interrupted = ours && HoldsUnfinishedMerge(output);
    set.merged = ours && !set.interrupted;
}

std::string CheckLibrarySet(const LibrarySet& set) {
    MessageKeeper keeper;
    MergeSession session(keeper);
    if (session.Scan(set.discOneFolder).Completed())
        session.Check();
    return keeper.message;
}

}  // namespace brambex
