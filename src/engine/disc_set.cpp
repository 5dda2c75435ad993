// Disc-set discovery. This is the one place where the program reads meaning into
// folder names; everything else finds disc folders through it.
#include "engine/disc_set.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <vector>

#include "engine/composed_names.h"
#include "engine/disc_tracks.h"
#include "engine/output_folder.h"
#include "engine/system_reason.h"
#include "options/disc_ending.h"
#include "platform/ascii_case.h"
#include "platform/file_system.h"
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

// The entries that may be discs. An output folder is never one, also when its name ends
// in a disc number (a title "Opera 2" beside "Opera 02"): merging from it would read
// the tracks this merge has just written.
std::vector<platform::FoundEntry> Discs(const MergeSettings& settings,
                                        std::vector<platform::FoundEntry> entries) {
    std::erase_if(entries, [&](const platform::FoundEntry& entry) {
        return IsOutputFolder(PathInSet(settings, entry.name));
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
std::vector<platform::FoundEntry> FindIgnoringTrailingBlanks(const std::string& pattern) {
    const std::string name = ComposedKey(LastName(pattern));
    std::vector<platform::FoundEntry> found = ListComposed(pattern + "*").entries;
    std::erase_if(found, [&](const platform::FoundEntry& entry) {
        return !platform::MatchesWildcard(name, ComposedKey(WithoutTrailingBlanks(entry.name)));
    });
    return found;
}

bool Stop(FrontEnd& ui, const std::string& text) {
    ui.ShowMessage(text, "Error", MessageStyle::Stop);
    return false;
}

// A pipe, a device or a folder named like a track (or a link to one) would stop the
// merge halfway, or hang it: the set is refused before anything is written.
bool AllTracksAreFiles(const MergeSettings& settings, const std::string& folder,
                       const DiscTracks& found, FrontEnd& ui) {
    for (const DiscTrack& track : found.tracks) {
        const std::string name = platform::JoinPath(folder, track.name);
        errno = 0;
        if (!platform::IsRegularFile(PathInSet(settings, name))) {
            const std::string named = "The track \"" + name + "\"";
            return Stop(ui, errno != 0 ? WithReason(named + " cannot be read", errno)
                                       : named + " is not a file (a folder, a pipe or a device).");
        }
    }
    return true;
}

// The folders whose names are `base` followed by the disc's number (in either form)
// and, for bracketed forms, the closing bracket.
std::vector<std::string> NumberedFolders(const MergeSettings& settings, const std::string& base,
                                         int disc) {
    std::vector<std::string> names;
    for (bool twoDigits : {false, true}) {
        for (const platform::FoundEntry& entry :
             Discs(settings, FindIgnoringTrailingBlanks(base + DiscNumber(disc, twoDigits) +
                                                        NumberClosing(base))))
            if (entry.isFolder && std::find(names.begin(), names.end(), entry.name) == names.end())
                names.push_back(entry.name);
    }
    return names;
}

// A chosen folder that names a later disc ("Dracula CD2", or "Opera 02" beside
// "Opera 01") would be merged as a set of its own, without the discs before it. A bare
// number is the folder's own ("Symphony 5" beside "Symphony 1") unless every disc
// before it has its folder.
bool RefuseLaterDisc(const MergeSettings& settings, FrontEnd& ui) {
    const std::string name = LastName(settings.discFolderStem);
    std::optional<DiscEnding> ending = FindDiscEnding(WithoutTrailingBlanks(name));
    if (!ending || ending->number < 2)
        return true;
    const std::string base = settings.discFolderStem.substr(
        0, settings.discFolderStem.size() - name.size() + ending->numberAt);
    const std::vector<std::string> first = NumberedFolders(settings, base, 1);
    for (int disc = 2; !ending->word && disc < ending->number; ++disc) {
        if (NumberedFolders(settings, base, disc).empty())
            return true;
    }
    const std::string found = "The folder \"" + name + "\" looks like disc " +
                              std::to_string(ending->number) + " of a set";
    if (!first.empty())
        return Stop(ui, found + ", whose disc 1 is \"" + first[0] +
                            "\".\nPlease select the folder of disc 1.");
    if (!ending->word)
        return true;
    return Stop(ui, found +
                        ", but there is no folder for disc 1 beside it.\nPlease select "
                        "the folder of the first disc, or rename the folders so that\n"
                        "their numbers begin with 1.");
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

bool ScanDiscSet(MergeSettings& settings, FrontEnd& ui, const std::string& chosenFolder) {
    std::string chosen = chosenFolder;
    // A path typed with a trailing separator names the same folder.
    while (chosen.size() > 1 && platform::IsSeparator(chosen.back()))
        chosen.pop_back();
    // The stem and the set's folder are absolute, so that they name the set whatever
    // the process's current folder becomes.
    chosen = platform::AbsolutePath(chosen);

    settings.discFolderStem = DiscFolderStem(chosen, settings.discSuffixFound);
    settings.setFolder.clear();
    settings.discCount = 0;
    settings.trackCount = 0;
    // A stem cut to fit would name other folders than the set's, so a longer one is
    // refused rather than shortened.
    if (CountUtf8Chars(settings.discFolderStem) > MaxStemText) {
        settings.discFolderStem.clear();
        ui.ShowMessage("The path of this folder is too long:\n" + chosen, "Error",
                       MessageStyle::Stop);
        return false;
    }

    const std::string setFolder = ParentFolder(settings.discFolderStem);
    // The set's folder must be one that can be entered; the message keeps the words it
    // has always had.
    if (!platform::CanEnterFolder(setFolder)) {
        ui.ShowMessage(WithReason("chdir failed", errno), "Error", MessageStyle::Plain);
        return false;
    }
    settings.setFolder = setFolder;

    std::vector<platform::FoundEntry> entries = ListComposed(settings.discFolderStem + "*").entries;
    if (entries.empty()) {
        ui.ShowMessage("FindFirstFile failed", "Error", MessageStyle::Plain);
        return false;
    }
    for (const platform::FoundEntry& entry : entries) {
        const std::string path = PathInSet(settings, entry.name);
        if (!CountsAsDisc(entry, path))
            continue;
        ui.AddFolder(entry.name);
        ++settings.discCount;
        settings.trackCount += CountTracks(path);
    }
    return true;
}

bool CountsAsDisc(const platform::FoundEntry& entry, const std::string& path) {
    if (!entry.isFolder && !platform::IsBrokenLink(path))
        return false;
    return !IsOutputFolder(path);
}

int CountTracks(const std::string& folder) {
    return static_cast<int>(platform::FindMatching(platform::JoinPath(folder, "*.mp3")).size());
}

std::optional<std::string> FindDiscFolder(const MergeSettings& settings, FrontEnd& ui, int disc) {
    const std::string& stem = settings.discFolderStem;
    std::vector<std::string> patterns;
    // A folder chosen by hand is disc 1 by its exact name.
    const bool exact = disc == 1 && !settings.discSuffixFound;
    if (exact) {
        patterns.push_back(stem);
    } else {
        for (bool twoDigits : {false, true}) {
            const std::string number = DiscNumber(disc, twoDigits);
            patterns.push_back(stem + "* " + number);
            // The forms whose number follows the stem directly ("CD2", "(Disc 2)").
            if (settings.discSuffixFound)
                patterns.push_back(stem + number + NumberClosing(stem));
        }
    }
    // Every pattern is searched: "Disc 2" beside "Disc 02" is one disc in two folders.
    std::vector<platform::FoundEntry> found;
    for (const std::string& pattern : patterns) {
        for (const platform::FoundEntry& entry :
             Discs(settings,
                   exact ? ListComposed(pattern).entries : FindIgnoringTrailingBlanks(pattern))) {
            if (std::none_of(found.begin(), found.end(), [&](const platform::FoundEntry& seen) {
                    return seen.name == entry.name;
                }))
                found.push_back(entry);
        }
    }
    if (found.empty()) {
        ui.ShowMessage("I could not find a folder for disc " + std::to_string(disc) +
                           ".\nPlease rip the missing disc, or rename the folders\nas "
                           "appropriate to get a continuous sequence, then\nstart over with "
                           "this set.",
                       "Error", MessageStyle::Stop);
        return std::nullopt;
    }
    if (found.size() > 1) {
        std::sort(found.begin(), found.end(),
                  [](const platform::FoundEntry& a, const platform::FoundEntry& b) {
                      return a.name < b.name;
                  });
        ui.ShowMessage("There are two folders that appear to be disc " + std::to_string(disc) +
                           ":\n     \"" + found[0].name + "\"\n     \"" + found[1].name +
                           "\"\nPlease rename one or both of these to remove\nthe ambiguity, "
                           "then start over with this set.",
                       "Error", MessageStyle::Stop);
        return std::nullopt;
    }
    return found[0].name;
}

std::string UnreadableDiscFolder(int disc, const std::string& folder, int error) {
    return WithReason(
        "The folder of disc " + std::to_string(disc) + ", \"" + folder + "\", cannot be read",
        error);
}

std::optional<std::vector<std::string>> CheckDiscSet(const MergeSettings& settings, FrontEnd& ui) {
    if (!settings.discSuffixFound && !RefuseLaterDisc(settings, ui))
        return std::nullopt;
    std::vector<std::string> folders;
    for (int disc = 1; disc <= settings.discCount; ++disc) {
        std::optional<std::string> folder = FindDiscFolder(settings, ui, disc);
        if (!folder)
            return std::nullopt;
        folders.push_back(*folder);
    }
    int tracks = 0;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const std::string& folder = folders[i];
        const std::string named = "\"" + folder + "\"";
        const DiscTracks found = FindTracks(PathInSet(settings, folder));
        if (found.error != 0) {
            Stop(ui, UnreadableDiscFolder(static_cast<int>(i) + 1, folder, found.error));
            return std::nullopt;
        }
        if (!AllTracksAreFiles(settings, folder, found, ui))
            return std::nullopt;
        if (found.discNumbers.size() > 1) {
            Stop(ui, "The folder " + named + " holds the tracks of " +
                         std::to_string(found.discNumbers.size()) + " discs (\"" +
                         found.tracks.front().name +
                         "\" ...).\nPlease give each disc a folder "
                         "of its own, named after the set and the disc's number\n(\"" +
                         folder + " 1\", \"" + folder + " 2\", ...), then start over.");
            return std::nullopt;
        }
        tracks += static_cast<int>(found.tracks.size());
    }
    if (tracks == 0) {
        std::string first = folders.empty() ? LastName(settings.discFolderStem) : folders[0];
        std::string text = "The folder \"" + first + "\" holds no tracks";
        if (folders.size() > 1)
            text += ", and neither do the other folders of its set";
        text +=
            ".\nA track is an MP3 file whose name begins with its two-digit number,\nsuch "
            "as \"01 Chapter One.mp3\".";
        // The folder that holds the disc folders was chosen instead of disc 1's.
        for (const platform::FoundEntry& entry :
             platform::FindMatching(platform::JoinPath(PathInSet(settings, first), "*"))) {
            std::optional<DiscEnding> ending = FindDiscEnding(WithoutTrailingBlanks(entry.name));
            if (entry.isFolder && ending && ending->number == 1) {
                text += "\nIt holds the folder \"" + entry.name +
                        "\": please select that folder, the first disc of the set.";
                break;
            }
        }
        Stop(ui, text);
        return std::nullopt;
    }
    return folders;
}

}  // namespace brambex
