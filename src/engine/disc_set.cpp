// Disc-set discovery. This is the one place where the program reads meaning into
// folder names; everything else finds disc folders through it.
#include "engine/disc_set.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "engine/composed_names.h"
#include "engine/disc_tracks.h"
#include "engine/format.h"
#include "engine/output_folder.h"
#include "engine/system_reason.h"
#include "options/disc_ending.h"
#include "platform/ascii_case.h"
#include "platform/file_system.h"
#include "platform/native_file.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

// The folder that holds the stem's last component (the stem is absolute): the set's
// folder.
std::string ParentFolder(const std::string& stem) {
    std::size_t cut = stem.size();
    while (cut > 0 && !platform::IsSeparator(stem[cut - 1]))
        --cut;
    if (cut <= 1)
        return std::string(1, platform::Separator);
    return stem.substr(0, cut - 1);
}

}  // namespace

std::string DiscFolderStem(std::string_view chosenFolder, bool& suffixFound) {
    static constexpr std::array<std::string_view, 4> DiscSuffixes = {" Disc 1", " Disc 01",
                                                                     " Disk 1", " Disk 01"};
    const std::string_view whole = chosenFolder;
    // Blanks that end the folder's name are no part of its disc ending.
    chosenFolder = WithoutTrailingBlanks(chosenFolder);
    suffixFound = true;
    for (std::string_view suffix : DiscSuffixes) {
        std::size_t at = FindIgnoringAsciiCase(chosenFolder, suffix);
        // Only the leftmost occurrence counts, and only when it ends the path; the
        // blank and the word stay, in the case the user wrote them.
        if (at != std::string_view::npos && at + suffix.size() == chosenFolder.size())
            return std::string(chosenFolder.substr(0, at + 5));
    }
    if (chosenFolder.ends_with(" 1"))
        return std::string(chosenFolder.substr(0, chosenFolder.size() - 2));
    if (chosenFolder.ends_with(" 01"))
        return std::string(chosenFolder.substr(0, chosenFolder.size() - 3));
    // The other common forms ("Dracula CD1", "Dracula (Disc 1)"): the stem ends where
    // the number begins, and the lookup puts each disc's number there.
    std::optional<DiscEnding> ending = FindDiscEnding(chosenFolder);
    if (ending && ending->word && ending->number == 1)
        return std::string(chosenFolder.substr(0, ending->numberAt));
    suffixFound = false;
    return std::string(whole);
}

namespace {

SetFinding ScanFailure(std::string text) {
    return SetFinding{std::move(text), "Error", MessageKind::Notice, {}};
}

}  // namespace

// A disc folder's one listing: its tracks, its pictures and its ".mp3" entries.
DiscFolder ListDiscFolder(platform::FileSystem& files, const DiscSet& set,
                          const std::string& name) {
    DiscFolder disc;
    disc.name = name;
    const platform::Listing listing =
        files.ListMatching(platform::JoinPath(set.PathInSet(name), "*"), nullptr);
    static const std::string Mp3 = platform::MatchKey("*.mp3");
    static const std::string Jpg = platform::MatchKey("*.jpg");
    std::vector<platform::FoundEntry> mp3s;
    for (const platform::FoundEntry& entry : listing.entries) {
        const std::string key = platform::MatchKey(entry.name);
        if (platform::MatchesWildcard(Mp3, key))
            mp3s.push_back(entry);
        // A folder named like a picture holds no picture to copy.
        else if (!entry.isFolder && platform::MatchesWildcard(Jpg, key))
            disc.pictures.push_back(entry.name);
    }
    disc.files = static_cast<int>(mp3s.size());
    disc.found = TracksAmong(mp3s);
    disc.found.error = listing.error;
    return disc;
}

int DiscSet::FileCount() const {
    int files = 0;
    for (const DiscFolder& disc : scanned)
        files += disc.files;
    return files;
}

int DiscSet::TrackCount() const {
    int tracks = 0;
    for (const DiscFolder& disc : discs)
        tracks += static_cast<int>(disc.found.tracks.size());
    return tracks;
}

std::int64_t DiscSet::ByteCount() const {
    std::int64_t bytes = 0;
    for (const DiscFolder& disc : discs)
        for (const DiscTrack& track : disc.found.tracks)
            bytes += std::max<std::int64_t>(track.size, 0);
    return bytes;
}

std::string DiscSet::PathInSet(std::string_view name) const {
    return platform::JoinPath(setFolder, name);
}

std::string ChosenFolderPath(const std::string& folder) {
    // Through char8_t, because Windows would read a plain string in its ANSI code page.
    const std::string absolute = platform::AbsolutePath(folder);
    const std::u8string normal =
        std::filesystem::path(std::u8string(absolute.begin(), absolute.end()))
            .lexically_normal()
            .u8string();
    std::string path(normal.begin(), normal.end());
    while (path.size() > 1 && platform::IsSeparator(path.back()))
        path.pop_back();
    return path;
}

DiscSet ReadDiscSet(platform::FileSystem& files, const std::string& chosenFolder) {
    DiscSet set;
    // The stem and the set's folder are absolute, so that they name the set whatever
    // the process's current folder becomes.
    set.chosenFolder = ChosenFolderPath(chosenFolder);
    set.discFolderStem = DiscFolderStem(set.chosenFolder, set.discSuffixFound);
    // A stem cut to fit would name other folders than the set's, so a longer one is
    // refused rather than shortened.
    if (CountUtf8Chars(set.discFolderStem) > MaxStemText) {
        set.finding = SetFinding{"The path of this folder is too long:\n" + set.chosenFolder,
                                 "Error",
                                 MessageKind::Error,
                                 {}};
        set.discFolderStem.clear();
        return set;
    }
    const std::string setFolder = ParentFolder(set.discFolderStem);
    // The set's folder must be one that can be entered.
    if (const platform::Status entered = files.CanEnterFolder(setFolder); !entered) {
        set.finding = ScanFailure(
            WithReason("The folder \"" + setFolder + "\" that holds the discs cannot be opened",
                       entered.error));
        return set;
    }
    set.setFolder = setFolder;
    const platform::Listing listing = ListComposed(files, set.discFolderStem + "*");
    if (listing.error) {
        set.finding = ScanFailure(
            WithReason("The folder \"" + setFolder + "\" cannot be read", listing.error));
        return set;
    }
    if (listing.entries.empty()) {
        set.finding = ScanFailure("Neither the folder \"" + set.chosenFolder +
                                  "\"\nnor another disc folder of its set can be found.");
        return set;
    }
    for (const platform::FoundEntry& entry : listing.entries) {
        if (CountsAsDisc(files, entry, set.PathInSet(entry.name)))
            set.scanned.push_back(ListDiscFolder(files, set, entry.name));
    }
    return set;
}

bool ScanDiscSet(platform::FileSystem& files, DiscSet& set, Messages& ui,
                 const std::string& chosenFolder) {
    set = ReadDiscSet(files, chosenFolder);
    if (set.finding) {
        ui.ShowMessage(set.finding->text, set.finding->caption, set.finding->style);
        return false;
    }
    return true;
}

bool CountsAsDisc(platform::FileSystem& files, const platform::FoundEntry& entry,
                  const std::string& path) {
    if (!entry.isFolder && !files.IsBrokenLink(path))
        return false;
    return !IsOutputFolder(files, path);
}

}  // namespace brambex
