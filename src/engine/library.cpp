#include "engine/library.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "engine/composed_names.h"
#include "engine/disc_set.h"
#include "engine/disc_tracks.h"
#include "engine/output_folder.h"
#include "engine/system_reason.h"
#include "options/disc_ending.h"
#include "options/merge_options_form.h"
#include "options/merge_preparation.h"
#include "options/merge_settings.h"
#include "options/title_numbers.h"
#include "platform/file_system.h"

namespace brambex {

namespace {

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
    std::string title = " " + std::string(WithoutOuterBlanks(discOneName));
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
    const OutputSplit split = SplitOutput(title, tracks);
    return OutputFolderName(split.outputFolder, split.splitFolders, 1);
}

void SetTitle(LibrarySet& set, std::string title, bool fromFolder) {
    set.title = std::move(title);
    set.titleFromFolder = fromFolder;
    set.outputFolder = FirstOutputFolder(set.title, set.tracks);
}

// The entries by their names' keys (composed, letter case folded), sorted so: the
// entries one stem names lie side by side, and a folder of thousands of sets is not read
// once per set.
using FoldedEntries = std::vector<std::pair<std::string, const Entry*>>;

FoldedEntries ByFoldedName(const std::vector<Entry>& entries) {
    FoldedEntries byName;
    byName.reserve(entries.size());
    for (const Entry& entry : entries)
        byName.emplace_back(ComposedKey(entry.found.name), &entry);
    std::sort(byName.begin(), byName.end());
    return byName;
}

// The entries whose keys begin with the stem's, in the order of the listing; every
// entry for a stem that holds a "*".
std::vector<const Entry*> EntriesBeginningWith(const FoldedEntries& byName, std::string_view stem) {
    const std::string key = ComposedKey(stem);
    auto from = byName.begin();
    auto to = byName.end();
    if (key.find('*') == std::string::npos) {
        from =
            std::lower_bound(byName.begin(), byName.end(), key,
                             [](const auto& item, const std::string& k) { return item.first < k; });
        to = from;
        while (to != byName.end() && to->first.starts_with(key))
            ++to;
    }
    std::vector<const Entry*> found;
    for (; from != to; ++from)
        found.push_back(from->second);
    std::sort(found.begin(), found.end());
    return found;
}

// Two sets beside each other must never fill (or empty) the same output folder: those
// that would take the titles of their folders, and where even those agree, their
// disc-1 folders' whole names.
void SeparateOutputFolders(std::vector<LibrarySet>& sets) {
    for (int round = 0; round < 2; ++round) {
        std::map<std::string, int> users;
        for (const LibrarySet& set : sets)
            ++users[ComposedKey(set.outputFolder)];
        for (LibrarySet& set : sets) {
            if (users[ComposedKey(set.outputFolder)] < 2)
                continue;
            const std::string name = LastName(set.discOneFolder);
            if (round == 0)
                SetTitle(set, FolderTitle(name, set.setFolder), true);
            else
                SetTitle(set, name + std::string(FirstFolderEnding), true);
        }
    }
}

// The sets whose disc-1 folders are entries of the folder, each with its title.
// `byHand` names an entry that is disc 1 of a set although its name has no disc-1
// ending, as a folder chosen by hand is.
std::vector<LibrarySet> SetsAmong(platform::FileSystem& files, const std::string& folder,
                                  const std::string& relative, const std::vector<Entry>& entries,
                                  std::string_view byHand = {}) {
    std::vector<LibrarySet> sets;
    const FoldedEntries byName = ByFoldedName(entries);
    for (const Entry& first : entries) {
        if (!first.found.isFolder || first.output)
            continue;
        const bool chosenByHand = first.found.name == byHand;
        const std::string chosen = platform::JoinPath(folder, first.found.name);
        bool suffixFound = false;
        const std::string stemName = LastName(DiscFolderStem(chosen, suffixFound));
        if ((!suffixFound && !chosenByHand) || stemName.empty())
            continue;
        LibrarySet set;
        set.relativeFolder = platform::JoinPath(relative, first.found.name);
        set.discOneFolder = chosen;
        set.setFolder = folder;
        std::string firstTrack;
        if (!first.firstTrack.empty())
            firstTrack = platform::JoinPath(first.found.name, first.firstTrack);
        const std::string pattern = ComposedKey(stemName) + "*";
        for (const Entry* discEntry : EntriesBeginningWith(byName, stemName)) {
            const Entry& disc = *discEntry;
            if (!platform::MatchesWildcard(pattern, ComposedKey(disc.found.name)) ||
                !CountsAsDisc(files, disc.found, platform::JoinPath(folder, disc.found.name)))
                continue;
            ++set.discs;
            set.tracks += disc.mp3s;
            if (firstTrack.empty() && !disc.firstTrack.empty())
                firstTrack = platform::JoinPath(disc.found.name, disc.firstTrack);
        }
        // A folder named like disc 1 whose set holds no tracks is a shelf ("Box 1"),
        // not a rip.
        if (set.tracks == 0 && !chosenByHand)
            continue;
        // The first track's reading keeps the codec's lines to itself.
        MergeSettings tags;
        ReadFirstTrackTags(tags, platform::JoinPath(folder, firstTrack));
        set.artist = tags.artist;
        const std::string title = ProposedTitle(tags.albumTitle);
        if (title.size() > FirstFolderEnding.size())
            SetTitle(set, title, false);
        else
            SetTitle(set, FolderTitle(first.found.name, folder), true);
        sets.push_back(std::move(set));
    }
    SeparateOutputFolders(sets);
    // An output folder named beyond ASCII may be spelt in another form on disk, which
    // takes a search of the folder: one reading serves every set in it.
    std::optional<platform::KeptListing> kept;
    if (std::any_of(sets.begin(), sets.end(),
                    [](const LibrarySet& set) { return !HasOneSpelling(set.outputFolder); }))
        kept.emplace(folder, ComposedForm);
    for (LibrarySet& set : sets)
        ReadMergedState(files, set);
    return sets;
}

// What the parent needs to know of a folder from its listing: its tracks.
void LearnTracks(Entry& self, const std::vector<platform::FoundEntry>& listing) {
    DiscTracks tracks = TracksAmong(listing);
    if (!tracks.tracks.empty())
        self.firstTrack = tracks.tracks.front().name;
    for (const platform::FoundEntry& item : listing)
        self.mp3s += !item.isFolder && platform::MatchesWildcard("*.mp3", item.name) ? 1 : 0;
}

// The entries of the folder that may be discs, each sub-folder listed once but not
// walked further.
std::vector<Entry> EntriesOf(platform::FileSystem& files, const std::string& folder) {
    std::vector<Entry> entries;
    for (platform::FoundEntry& item :
         files.ListMatching(platform::JoinPath(folder, "*"), nullptr).entries) {
        const std::string path = platform::JoinPath(folder, item.name);
        if (!item.isFolder && !files.IsBrokenLink(path))
            continue;
        Entry& entry = entries.emplace_back(std::move(item));
        entry.output = entry.found.isFolder && IsOutputFolder(files, path);
        if (entry.found.isFolder && !entry.output)
            LearnTracks(entry, files.ListMatching(platform::JoinPath(path, "*"), nullptr).entries);
    }
    return entries;
}

// What the walk carries down: where it reports, and every folder it has listed, so
// that a link never has a folder listed twice or leads the walk in circles.
struct Walker {
    platform::FileSystem& files;
    const std::function<void(LibrarySet)>& found;
    const std::function<void(LibraryNote)>& noted;
    std::set<platform::FolderIdentity> listed;
    std::vector<std::pair<platform::FolderIdentity, std::string>> above;  // the way down

    void Note(const std::string& relative, std::string text, bool unreadable) {
        if (noted)
            noted({relative, std::move(text), unreadable});
    }
};

void Walk(Walker& w, const std::string& folder, const std::string& relative, Entry& self);

// Walks a sub-folder unless the walk has listed it already: through another link, or
// as a folder above it.
void Enter(Walker& w, const std::string& folder, const std::string& relative, Entry& entry,
           const platform::FolderIdentity& identity, bool isLink) {
    const std::string path = platform::JoinPath(folder, entry.found.name);
    const std::string inside = platform::JoinPath(relative, entry.found.name);
    if (w.listed.insert(identity).second) {
        w.above.emplace_back(identity, inside);
        Walk(w, path, inside, entry);
        w.above.pop_back();
        return;
    }
    for (const auto& [up, name] : w.above) {
        if (up == identity) {
            w.Note(inside,
                   "A link to \"" + (name.empty() ? "." : name) +
                       "\", a folder above it: not followed.",
                   false);
            return;
        }
    }
    // Its tracks still count for a set it is a disc of; its sub-folders are not walked.
    LearnTracks(entry, w.files.ListMatching(platform::JoinPath(path, "*"), nullptr).entries);
    w.Note(inside,
           isLink ? "A link to a folder searched already: not followed again."
                  : "A folder searched already through a link: not searched again.",
           false);
}

// Lists the folder once: what the parent needs of it goes into `self`, and the sets
// among its entries are reported after its sub-folders'. Real sub-folders are walked
// before links, so that a set is named by its own path, not by a link's.
void Walk(Walker& w, const std::string& folder, const std::string& relative, Entry& self) {
    platform::Listing listing = w.files.ListMatching(platform::JoinPath(folder, "*"), nullptr);
    if (listing.error) {
        w.Note(relative, WithReason("The folder cannot be read", listing.error), true);
        return;
    }
    LearnTracks(self, listing.entries);
    std::vector<Entry> entries;
    entries.reserve(listing.entries.size());
    std::vector<std::pair<std::size_t, platform::FolderIdentity>> links;
    for (platform::FoundEntry& item : listing.entries) {
        const std::string path = platform::JoinPath(folder, item.name);
        if (!item.isFolder) {
            // A link out of reach may stand for a disc folder.
            if (w.files.IsBrokenLink(path))
                entries.emplace_back(std::move(item));
            continue;
        }
        Entry& entry = entries.emplace_back(std::move(item));
        entry.output = IsOutputFolder(w.files, path);
        platform::FolderIdentity identity;
        bool isLink = false;
        if (entry.output)
            continue;
        if (const platform::Status known = w.files.IdentifyFolder(path, identity, isLink); !known)
            w.Note(platform::JoinPath(relative, entry.found.name),
                   WithReason("The folder cannot be read", known.error), true);
        else if (isLink)
            links.emplace_back(entries.size() - 1, identity);
        else
            Enter(w, folder, relative, entry, identity, false);
    }
    for (const auto& [link, identity] : links)
        Enter(w, folder, relative, entries[link], identity, true);
    for (LibrarySet& set : SetsAmong(w.files, folder, relative, entries))
        w.found(std::move(set));
}

}  // namespace

void ForEachLibrarySet(platform::FileSystem& files, const std::string& folder,
                       const std::function<void(LibrarySet)>& found,
                       const std::function<void(LibraryNote)>& noted) {
    Walker walker{files, found, noted, {}, {}};
    Entry root({LastName(folder), true});
    platform::FolderIdentity identity;
    bool isLink = false;
    if (const platform::Status known = files.IdentifyFolder(folder, identity, isLink); !known) {
        walker.Note("", WithReason("The folder cannot be read", known.error), true);
        return;
    }
    walker.listed.insert(identity);
    walker.above.emplace_back(identity, "");
    Walk(walker, folder, "", root);
}

std::vector<LibrarySet> FindLibrarySets(platform::FileSystem& files, const std::string& folder,
                                        std::vector<LibraryNote>* notes) {
    std::vector<LibrarySet> sets;
    std::vector<LibraryNote> heard;
    ForEachLibrarySet(
        files, folder, [&](LibrarySet set) { sets.push_back(std::move(set)); },
        [&](LibraryNote note) { heard.push_back(std::move(note)); });
    std::sort(sets.begin(), sets.end(), [](const LibrarySet& a, const LibrarySet& b) {
        return a.relativeFolder < b.relativeFolder;
    });
    std::sort(heard.begin(), heard.end(), [](const LibraryNote& a, const LibraryNote& b) {
        return a.relativeFolder < b.relativeFolder;
    });
    if (notes != nullptr)
        *notes = std::move(heard);
    return sets;
}

void ReadMergedState(platform::FileSystem& files, LibrarySet& set) {
    const std::string output =
        platform::JoinPath(set.setFolder, SpellingOnDisk(files, set.setFolder, set.outputFolder));
    const bool ours = IsOutputFolder(files, output);
    set.interrupted = ours && HoldsUnfinishedMerge(files, output);
    set.merged = ours && !set.interrupted;
}

std::string ProposedSetTitle(platform::FileSystem& files, const std::string& setFolder,
                             const std::string& discOneName) {
    for (const LibrarySet& set :
         SetsAmong(files, setFolder, "", EntriesOf(files, setFolder), discOneName)) {
        if (LastName(set.discOneFolder) == discOneName)
            return set.title;
    }
    return {};
}

}  // namespace brambex
