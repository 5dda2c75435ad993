// The sets among one folder's entries: which entries are the disc-1 folders of sets,
// what each set's discs and tracks are, the title its merge proposes and whether it is
// merged. The rules are the ones a folder chosen by hand is read by.
#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "engine/composed_names.h"
#include "engine/disc_set.h"
#include "engine/disc_tracks.h"
#include "engine/library_entries.h"
#include "engine/output_folder.h"
#include "options/disc_ending.h"
#include "options/merge_options_form.h"
#include "options/merge_preparation.h"
#include "options/merge_settings.h"
#include "options/title_numbers.h"
#include "platform/kept_listing.h"

namespace brambex {

namespace {

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
        title = LastPathName(setFolder);
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
using FoldedEntries = std::vector<std::pair<std::string, const LibraryEntry*>>;

FoldedEntries ByFoldedName(const std::vector<LibraryEntry>& entries) {
    FoldedEntries byName;
    byName.reserve(entries.size());
    for (const LibraryEntry& entry : entries)
        byName.emplace_back(ComposedKey(entry.found.name), &entry);
    std::sort(byName.begin(), byName.end());
    return byName;
}

// The entries whose keys begin with the stem's, in the order of the listing; every
// entry for a stem that holds a "*".
std::vector<const LibraryEntry*> EntriesBeginningWith(const FoldedEntries& byName,
                                                      std::string_view stem) {
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
    std::vector<const LibraryEntry*> found;
    for (; from != to; ++from)
        found.push_back(from->second);
    std::sort(found.begin(), found.end());
    return found;
}

// Counts the set's discs and their tracks among the entries its stem names; the first
// track of a later disc stands in where disc 1 has none.
void CountDiscs(platform::FileSystem& files, const FoldedEntries& byName,
                const std::string& stemName, LibrarySet& set, std::string& firstTrack) {
    const std::string pattern = ComposedKey(stemName) + "*";
    for (const LibraryEntry* discEntry : EntriesBeginningWith(byName, stemName)) {
        const LibraryEntry& disc = *discEntry;
        if (!platform::MatchesWildcard(pattern, ComposedKey(disc.found.name)) ||
            !CountsAsDisc(files, disc.found, platform::JoinPath(set.setFolder, disc.found.name)))
            continue;
        ++set.discs;
        set.tracks += disc.mp3s;
        set.numberedTracks += disc.numberedTracks;
        if (firstTrack.empty() && !disc.firstTrack.empty())
            firstTrack = platform::JoinPath(disc.found.name, disc.firstTrack);
    }
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
            const std::string name = LastPathName(set.discOneFolder);
            if (round == 0)
                SetTitle(set, FolderTitle(name, set.setFolder), true);
            else
                SetTitle(set, name + std::string(FirstFolderEnding), true);
        }
    }
}

}  // namespace

std::string LastPathName(std::string_view path) {
    std::size_t at = path.size();
    while (at > 0 && !platform::IsSeparator(path[at - 1]))
        --at;
    return std::string(path.substr(at));
}

std::vector<LibrarySet> SetsAmong(platform::FileSystem& files, const std::string& folder,
                                  const std::string& relative,
                                  const std::vector<LibraryEntry>& entries,
                                  std::string_view byHand) {
    std::vector<LibrarySet> sets;
    const FoldedEntries byName = ByFoldedName(entries);
    for (const LibraryEntry& first : entries) {
        if (!first.found.isFolder || first.output)
            continue;
        const bool chosenByHand = first.found.name == byHand;
        const std::string chosen = platform::JoinPath(folder, first.found.name);
        bool suffixFound = false;
        const std::string stemName = LastPathName(DiscFolderStem(chosen, suffixFound));
        if ((!suffixFound && !chosenByHand) || stemName.empty())
            continue;
        LibrarySet set;
        set.relativeFolder = platform::JoinPath(relative, first.found.name);
        set.discOneFolder = chosen;
        set.setFolder = folder;
        std::string firstTrack;
        if (!first.firstTrack.empty())
            firstTrack = platform::JoinPath(first.found.name, first.firstTrack);
        CountDiscs(files, byName, stemName, set, firstTrack);
        // A folder named like disc 1 whose set holds no tracks is a shelf ("Box 1"),
        // not a rip.
        if (set.tracks == 0 && !chosenByHand)
            continue;
        // The first track's reading keeps the codec's lines to itself.
        MergeSettings tags;
        ReadFirstTrackTags(files, tags, platform::JoinPath(folder, firstTrack));
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
        kept.emplace(files, folder, ComposedForm);
    platform::FileSystem& reading = kept ? *kept : files;
    for (LibrarySet& set : sets)
        ReadMergedState(reading, set);
    return sets;
}

// What the parent needs to know of a folder from its listing: its tracks.
void LearnTracks(LibraryEntry& self, const std::vector<platform::FoundEntry>& listing) {
    DiscTracks tracks = TracksAmong(listing);
    self.numberedTracks = static_cast<int>(tracks.tracks.size());
    if (!tracks.tracks.empty())
        self.firstTrack = tracks.tracks.front().name;
    for (const platform::FoundEntry& item : listing)
        self.mp3s += !item.isFolder && platform::MatchesWildcard("*.mp3", item.name) ? 1 : 0;
}

// The entries of the folder that may be discs, each sub-folder listed once but not
// walked further.
std::vector<LibraryEntry> EntriesOf(platform::FileSystem& files, const std::string& folder) {
    std::vector<LibraryEntry> entries;
    for (platform::FoundEntry& item :
         files.ListMatching(platform::JoinPath(folder, "*"), nullptr).entries) {
        const std::string path = platform::JoinPath(folder, item.name);
        if (!item.isFolder && !files.IsBrokenLink(path))
            continue;
        LibraryEntry& entry = entries.emplace_back(std::move(item));
        entry.output = entry.found.isFolder && IsOutputFolder(files, path);
        if (entry.found.isFolder && !entry.output)
            LearnTracks(entry, files.ListMatching(platform::JoinPath(path, "*"), nullptr).entries);
    }
    return entries;
}

void ReadMergedState(platform::FileSystem& files, LibrarySet& set) {
    const std::string output =
        platform::JoinPath(set.setFolder, SpellingOnDisk(files, set.setFolder, set.outputFolder));
    const bool ours = IsOutputFolder(files, output);
    set.interrupted = ours && HoldsUnfinishedMerge(files, output);
    set.merged = ours && !set.interrupted;
}

void ReadSetForFormat(platform::FileSystem& files, LibrarySet& set, OutputFormat format) {
    if (format == OutputFormat::FolderOfTracks)
        return;
    set.title = ProposedTitleFor(format, set.title);
    set.outputFolder = set.title;
    ReadMergedState(files, set);
}

std::string ProposedSetTitle(platform::FileSystem& files, const std::string& setFolder,
                             const std::string& discOneName) {
    for (const LibrarySet& set :
         SetsAmong(files, setFolder, "", EntriesOf(files, setFolder), discOneName)) {
        if (LastPathName(set.discOneFolder) == discOneName)
            return set.title;
    }
    return {};
}

}  // namespace brambex
