// Disc-set discovery. This is the one place where the program reads meaning into
// folder names; everything else finds disc folders through it.
#include "engine/disc_set.h"

#include <array>
#include <cstdio>
#include <vector>

#include "engine/output_folder.h"
#include "platform/file_system.h"
#include "tags/text_encoding.h"

namespace brambex {

bool discSuffixFound = false;

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Leftmost occurrence of needle in text, ASCII letters compared without regard to
// case; npos when there is none.
std::size_t FindIgnoringCase(std::string_view text, std::string_view needle) {
    if (needle.size() > text.size())
        return std::string_view::npos;
    for (std::size_t at = 0; at + needle.size() <= text.size(); ++at) {
        bool same = true;
        for (std::size_t i = 0; i < needle.size() && same; ++i)
            same = FoldAscii(text[at + i]) == FoldAscii(needle[i]);
        if (same)
            return at;
    }
    return std::string_view::npos;
}

// The folder that holds the stem's last component (the stem is absolute): what the
// scan makes current.
std::string ParentFolder(const std::string& stem) {
    std::size_t cut = stem.size();
    while (cut > 0 && !platform::IsSeparator(stem[cut - 1]))
        --cut;
    if (cut <= 1)
        return std::string(1, platform::Separator);
    return stem.substr(0, cut - 1);
}

// An output folder of an earlier merge may share the stem; its key file tells.
bool IsOutputFolder(const std::string& name) {
    return platform::PathExists(platform::JoinPath(name, KeyFileName));
}

// The entries that may be discs. An output folder is never one, also when its name ends
// in a disc number (a title "Opera 2" beside "Opera 02"): merging from it would read
// the tracks this merge has just written.
std::vector<platform::FoundEntry> Discs(std::vector<platform::FoundEntry> entries) {
    std::erase_if(entries,
                  [](const platform::FoundEntry& entry) { return IsOutputFolder(entry.name); });
    return entries;
}

// "%d" or "%02d" of a disc number, for the lookup's patterns.
std::string DiscNumber(int disc, bool twoDigits) {
    char digits[16];
    std::snprintf(digits, sizeof digits, twoDigits ? "%02d" : "%d", disc);
    return digits;
}

}  // namespace

std::string DiscFolderStem(std::string_view chosenFolder, bool& suffixFound) {
    static constexpr std::array<std::string_view, 4> DiscSuffixes = {" Disc 1", " Disc 01",
                                                                     " Disk 1", " Disk 01"};
    suffixFound = true;
    for (std::string_view suffix : DiscSuffixes) {
        std::size_t at = FindIgnoringCase(chosenFolder, suffix);
        // Only the leftmost occurrence counts, and only when it ends the path; the
        // blank and the word stay, in the case the user wrote them.
        if (at != std::string_view::npos && at + suffix.size() == chosenFolder.size())
            return std::string(chosenFolder.substr(0, at + 5));
    }
    if (chosenFolder.ends_with(" 1"))
        return std::string(chosenFolder.substr(0, chosenFolder.size() - 2));
    if (chosenFolder.ends_with(" 01"))
        return std::string(chosenFolder.substr(0, chosenFolder.size() - 3));
    suffixFound = false;
    return std::string(chosenFolder);
}

bool ScanDiscSet(MergeSettings& settings, FrontEnd& ui, const std::string& chosenFolder) {
    std::string chosen = chosenFolder;
    // A path typed with a trailing separator names the same folder.
    while (chosen.size() > 1 && platform::IsSeparator(chosen.back()))
        chosen.pop_back();
    // The stem must keep naming the set after the current folder has changed, so a
    // relative path is made absolute first.
    if (chosen.empty())
        chosen = platform::CurrentFolder();
    else if (!platform::IsSeparator(chosen.front()))
        chosen = platform::JoinPath(platform::CurrentFolder(), chosen);

    settings.discFolderStem = DiscFolderStem(chosen, discSuffixFound);
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

    if (!platform::SetCurrentFolder(ParentFolder(settings.discFolderStem))) {
        ui.ShowMessage("chdir failed", "Error", MessageStyle::Plain);
        return false;
    }

    std::vector<platform::FoundEntry> entries =
        platform::FindMatching(settings.discFolderStem + "*");
    if (entries.empty()) {
        ui.ShowMessage("FindFirstFile failed", "Error", MessageStyle::Plain);
        return false;
    }
    for (const platform::FoundEntry& entry : entries) {
        if (!entry.isFolder)
            continue;
        if (IsOutputFolder(entry.name))
            continue;
        ui.AddFolder(entry.name);
        ++settings.discCount;
        settings.trackCount += CountTracks(entry.name);
    }
    return true;
}

int CountTracks(const std::string& folder) {
    return static_cast<int>(platform::FindMatching(platform::JoinPath(folder, "*.mp3")).size());
}

std::optional<std::string> FindDiscFolder(const MergeSettings& settings, FrontEnd& ui, int disc) {
    const std::string& stem = settings.discFolderStem;
    std::string pattern;
    if (disc == 1)
        pattern = discSuffixFound ? stem + "* 1" : stem;
    else
        pattern = stem + "* " + DiscNumber(disc, false);

    std::vector<platform::FoundEntry> found = Discs(platform::FindMatching(pattern));
    if (found.empty())
        found = Discs(platform::FindMatching(stem + "* " + DiscNumber(disc, true)));
    if (found.empty()) {
        ui.ShowMessage("I could not find a folder for disc " + std::to_string(disc) +
                           ".\nPlease rip the missing disc, or rename the folders\nas "
                           "appropriate to get a continuous sequence, then\nstart over with "
                           "this set.",
                       "Error", MessageStyle::Stop);
        return std::nullopt;
    }
    if (found.size() > 1) {
        ui.ShowMessage("There are two folders that appear to be disc " + std::to_string(disc) +
                           ":\n     \"" + found[0].name + "\"\n     \"" + found[1].name +
                           "\"\nPlease rename one or both of these to remove\nthe ambiguity, "
                           "then start over with this set.",
                       "Error", MessageStyle::Stop);
        return std::nullopt;
    }
    return found[0].name;
}

}  // namespace brambex
