// The check of a whole set before a merge writes anything, and the lookup of each
// disc's folder by its number: both read the scan's listings, never a disc folder
// again.
#include "engine/disc_set.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "engine/composed_names.h"
#include "engine/disc_tracks.h"
#include "engine/format.h"
#include "engine/output_folder.h"
#include "engine/system_reason.h"
#include "options/disc_ending.h"
#include "platform/file_system.h"
#include "platform/native_file.h"

namespace brambex {

namespace {

// The entries that may be discs. An output folder is never one, also when its name ends
// in a disc number (a title "Opera 2" beside "Opera 02"): merging from it would read
// the tracks this merge has just written.
std::vector<platform::FoundEntry> Discs(platform::FileSystem& files, const DiscSet& set,
                                        std::vector<platform::FoundEntry> entries) {
    std::erase_if(entries, [&](const platform::FoundEntry& entry) {
        return IsOutputFolder(files, set.PathInSet(entry.name));
    });
    return entries;
}

// "%d" or "%02d" of a disc number, for the lookup's patterns.
std::string DiscNumber(int disc, bool twoDigits) {
    char digits[16];
    std::snprintf(digits, sizeof digits, twoDigits ? "%02d" : "%d", disc);
    return digits;
}

// What follows the number in the names of a set whose stem ends in an open bracket
// ("Dracula (Disc " for "Dracula (Disc 1)"): the closing bracket; else nothing.
std::string NumberClosing(std::string_view stem) {
    for (std::size_t at = stem.size(); at > 0 && !platform::IsSeparator(stem[at - 1]); --at) {
        char c = stem[at - 1];
        if (c == ')' || c == ']')
            return {};
        if (c == '(')
            return ")";
        if (c == '[')
            return "]";
    }
    return {};
}

std::string LastName(std::string_view path) {
    std::size_t at = path.size();
    while (at > 0 && !platform::IsSeparator(path[at - 1]))
        --at;
    return std::string(path.substr(at));
}

// The entries whose names match the pattern's last component once the blanks that
// end them are left aside: "Walden Disc 2 " is disc 2 of "Walden Disc 1" too.
std::vector<platform::FoundEntry> FindIgnoringTrailingBlanks(platform::FileSystem& files,
                                                             const std::string& pattern) {
    const std::string name = ComposedKey(LastName(pattern));
    std::vector<platform::FoundEntry> found = ListComposed(files, pattern + "*").entries;
    std::erase_if(found, [&](const platform::FoundEntry& entry) {
        return !platform::MatchesWildcard(name, ComposedKey(WithoutTrailingBlanks(entry.name)));
    });
    return found;
}

using Finding = std::optional<SetFinding>;

Finding Stop(std::string text, std::string at = {}) {
    return SetFinding{std::move(text), "Error", MessageKind::Error, std::move(at)};
}

// A pipe, a device or a folder named like a track (or a link to one) would stop the
// merge halfway, or hang it: the set is refused before anything is written.
// Each track's size is taken on the way, for the estimate of the time left.
Finding AllTracksAreFiles(platform::FileSystem& files, const DiscSet& set,
                          const std::string& folder, DiscTracks& found) {
    for (DiscTrack& track : found.tracks) {
        const std::string name = platform::JoinPath(folder, track.name);
        const std::string path = set.PathInSet(name);
        std::error_code error;
        const platform::native_file::Kind kind = files.KindOf(path, error, &track.size);
        if (kind != platform::native_file::Kind::Regular) {
            const std::string named = "The track \"" + name + "\"";
            return Stop(kind == platform::native_file::Kind::Missing
                            ? WithReason(named + " cannot be read", error)
                            : named + " is not a file (a folder, a pipe or a device).");
        }
    }
    return std::nullopt;
}

// The folders whose names are `base` followed by the disc's number (in either form)
// and, for bracketed forms, the closing bracket.
std::vector<std::string> NumberedFolders(platform::FileSystem& files, const DiscSet& set,
                                         const std::string& base, int disc) {
    std::vector<std::string> names;
    for (bool twoDigits : {false, true}) {
        for (const platform::FoundEntry& entry :
             Discs(files, set,
                   FindIgnoringTrailingBlanks(
                       files, base + DiscNumber(disc, twoDigits) + NumberClosing(base))))
            if (entry.isFolder && std::find(names.begin(), names.end(), entry.name) == names.end())
                names.push_back(entry.name);
    }
    return names;
}

// A chosen folder that names a later disc ("Dracula CD2", or "Opera 02" beside
// "Opera 01") would be merged as a set of its own, without the discs before it. A bare
// number is the folder's own ("Symphony 5" beside "Symphony 1") unless every disc
// before it has its folder.
Finding RefuseLaterDisc(platform::FileSystem& files, const DiscSet& set, std::string& discOne) {
    const std::string name = LastName(set.discFolderStem);
    std::optional<DiscEnding> ending = FindDiscEnding(WithoutTrailingBlanks(name));
    if (!ending || ending->number < 2)
        return std::nullopt;
    const std::string base =
        set.discFolderStem.substr(0, set.discFolderStem.size() - name.size() + ending->numberAt);
    const std::vector<std::string> first = NumberedFolders(files, set, base, 1);
    for (int disc = 2; !ending->word && disc < ending->number; ++disc) {
        if (NumberedFolders(files, set, base, disc).empty())
            return std::nullopt;
    }
    const std::string found = "The folder \"" + name + "\" looks like disc " +
                              std::to_string(ending->number) + " of a set";
    if (!first.empty()) {
        discOne = first[0];
        return Stop(found + ", whose disc 1 is \"" + first[0] +
                    "\".\nPlease select the folder of disc 1.");
    }
    if (!ending->word)
        return std::nullopt;
    return Stop(found +
                ", but there is no folder for disc 1 beside it.\nPlease select "
                "the folder of the first disc, or rename the folders so that\n"
                "their numbers begin with 1.");
}

// The lookup of one disc's folder; a finding when it is missing or ambiguous.
std::optional<std::string> LookUpDisc(platform::FileSystem& files, const DiscSet& set, int disc,
                                      Finding& finding) {
    const std::string& stem = set.discFolderStem;
    std::vector<std::string> patterns;
    // A folder chosen by hand is disc 1 by its exact name.
    const bool exact = disc == 1 && !set.discSuffixFound;
    if (exact) {
        patterns.push_back(stem);
    } else {
        for (bool twoDigits : {false, true}) {
            const std::string number = DiscNumber(disc, twoDigits);
            patterns.push_back(stem + "* " + number);
            // The forms whose number follows the stem directly ("CD2", "(Disc 2)").
            if (set.discSuffixFound)
                patterns.push_back(stem + number + NumberClosing(stem));
        }
    }
    // Every pattern is searched: "Disc 2" beside "Disc 02" is one disc in two folders.
    std::vector<std::string> found;
    for (const std::string& pattern : patterns) {
        for (const platform::FoundEntry& entry :
             Discs(files, set,
                   exact ? ListComposed(files, pattern).entries
                         : FindIgnoringTrailingBlanks(files, pattern)))
            if (std::find(found.begin(), found.end(), entry.name) == found.end())
                found.push_back(entry.name);
    }
    if (found.empty()) {
        finding = Stop("I could not find a folder for disc " + std::to_string(disc) +
                       ".\nPlease rip the missing disc, or rename the folders\nas "
                       "appropriate to get a continuous sequence, then\nstart over with "
                       "this set.");
        return std::nullopt;
    }
    if (found.size() > 1) {
        std::sort(found.begin(), found.end());
        finding = Stop("There are two folders that appear to be disc " + std::to_string(disc) +
                       ":\n     \"" + found[0] + "\"\n     \"" + found[1] +
                       "\"\nPlease rename one or both of these to remove\nthe ambiguity, "
                       "then start over with this set.");
        return std::nullopt;
    }
    return found[0];
}

// The message for a set without tracks; it points to a disc-1 folder inside the chosen
// one, which the user may have meant.
SetFinding NoTracks(platform::FileSystem& files, const DiscSet& set,
                    const std::vector<DiscFolder>& discs, std::string& discOne) {
    std::string first = discs.empty() ? LastName(set.discFolderStem) : discs[0].name;
    std::string text = "The folder \"" + first + "\" holds no tracks";
    if (discs.size() > 1)
        text += ", and neither do the other folders of its set";
    text +=
        ".\nA track is an MP3 file whose name begins with its two-digit number,\nsuch "
        "as \"01 Chapter One.mp3\".";
    for (const platform::FoundEntry& entry :
         files.ListMatching(platform::JoinPath(set.PathInSet(first), "*"), nullptr).entries) {
        std::optional<DiscEnding> ending = FindDiscEnding(WithoutTrailingBlanks(entry.name));
        if (entry.isFolder && ending && ending->number == 1) {
            text += "\nIt holds the folder \"" + entry.name +
                    "\": please select that folder, the first disc of the set.";
            discOne = platform::JoinPath(first, entry.name);
            break;
        }
    }
    return *Stop(std::move(text));
}

// What is wrong with one disc folder that keeps the set from being merged whole.
Finding CheckDisc(platform::FileSystem& files, const DiscSet& set, DiscFolder& disc, int number) {
    if (disc.found.error)
        return Stop(UnreadableDiscFolder(number, disc.name, disc.found.error));
    if (Finding notFile = AllTracksAreFiles(files, set, disc.name, disc.found))
        return notFile;
    if (disc.found.discNumbers.size() > 1)
        return Stop("The folder \"" + disc.name + "\" holds the tracks of " +
                    std::to_string(disc.found.discNumbers.size()) + " discs (\"" +
                    disc.found.tracks.front().name +
                    "\" ...).\nPlease give each disc a folder "
                    "of its own, named after the set and the disc's number\n(\"" +
                    disc.name + " 1\", \"" + disc.name + " 2\", ...), then start over.");
    return std::nullopt;
}

// The whole-set check without a front end: the discs in order, or what stops the merge.
Finding CheckedDiscs(platform::FileSystem& files, const DiscSet& set,
                     std::vector<DiscFolder>& discs, std::string& discOne) {
    if (!set.discSuffixFound)
        if (Finding later = RefuseLaterDisc(files, set, discOne))
            return later;
    for (int disc = 1; disc <= set.DiscCount(); ++disc) {
        Finding finding;
        std::optional<std::string> name = LookUpDisc(files, set, disc, finding);
        if (!name)
            return finding;
        auto scanned = std::find_if(set.scanned.begin(), set.scanned.end(),
                                    [&](const DiscFolder& d) { return d.name == *name; });
        discs.push_back(scanned != set.scanned.end() ? *scanned
                                                     : ListDiscFolder(files, set, *name));
    }
    int tracks = 0;
    for (std::size_t i = 0; i < discs.size(); ++i) {
        if (Finding finding = CheckDisc(files, set, discs[i], static_cast<int>(i) + 1))
            return finding;
        tracks += static_cast<int>(discs[i].found.tracks.size());
    }
    if (tracks == 0)
        return NoTracks(files, set, discs, discOne);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> FindDiscFolder(platform::FileSystem& files, const DiscSet& set,
                                          Messages& ui, int disc) {
    Finding finding;
    std::optional<std::string> name = LookUpDisc(files, set, disc, finding);
    if (finding)
        ui.ShowMessage(finding->text, finding->caption, finding->style);
    return name;
}

std::string UnreadableDiscFolder(int disc, const std::string& folder, std::error_code error) {
    return WithReason(
        "The folder of disc " + std::to_string(disc) + ", \"" + folder + "\", cannot be read",
        error);
}

std::optional<std::vector<std::string>> CheckDiscSet(platform::FileSystem& files, DiscSet& set,
                                                     Messages& ui) {
    std::vector<DiscFolder> discs;
    set.discs.clear();
    set.discOne.clear();
    set.finding = CheckedDiscs(files, set, discs, set.discOne);
    if (set.finding) {
        ui.ShowMessage(set.finding->text, set.finding->caption, set.finding->style);
        return std::nullopt;
    }
    set.discs = std::move(discs);
    std::vector<std::string> names;
    for (const DiscFolder& disc : set.discs)
        names.push_back(disc.name);
    return names;
}

std::string TrackNumberPattern(const DiscTracks& found, int number) {
    return Format(found.discTrackForm ? "*-%02d*.mp3" : "%02d*.mp3", number);
}

}  // namespace brambex
