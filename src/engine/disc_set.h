// Disc-set discovery: turns the folder of disc 1 into a set of sibling disc folders.
// The scan, right after the user chose the folder, forms the stem the disc folders
// share, notes the folder that holds them as the set's folder and counts discs and
// tracks; the lookup finds each disc's folder again by its number during a merge.
// Folder names are relative to the set's folder (DiscSet::setFolder).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/disc_tracks.h"
#include "engine/front_end_messages.h"
#include "options/merge_settings.h"
#include "platform/file_system.h"

namespace brambex {

// The chosen folder's path with its disc-1 suffix (" Disc 1", " Disk 01", " 1", " 01"
// ...) cut off; the whole path when no suffix is recognised. In the forms whose number
// follows the word directly or stands in brackets (" CD1", " (Disc 1)") only the
// number and what follows it are cut ("... CD", "... (Disc ").
std::string DiscFolderStem(std::string_view chosenFolder, bool& suffixFound);

// One disc folder of a set, listed once: its name in the set's folder, its tracks
// (number, file name and, once checked, size), the pictures that go with it into the
// output folder, and how many of its entries end in ".mp3", numbered or not, which is
// what a scan shows.
struct DiscFolder {
    std::string name;
    DiscTracks found;
    std::vector<std::string> pictures;  // the "*.jpg" files, by name
    int files = 0;
};

// Something about the set that stops a merge: the message that says it and the name
// (in the set's folder) where the merge stops, when there is one.
struct SetFinding {
    std::string text;
    std::string caption = "Error";
    MessageKind style = MessageKind::Error;
    std::string at;
};

// The read-only result of one scan of a set: where it lies, every disc folder with its
// tracks and pictures, and what the check of the whole set found. The check, the plan,
// the byte count, the run and the library all read it; none lists a folder again.
struct DiscSet {
    std::string chosenFolder;      // absolute, without a trailing separator
    std::string discFolderStem;    // the chosen folder's path without its disc number
    bool discSuffixFound = false;  // the chosen folder's name ended in a disc-1 suffix
    // The absolute folder that holds the disc folders and the output folders; names
    // elsewhere in the set and in messages are relative to it.
    std::string setFolder;
    // Every disc folder the scan found, in the order of their names.
    std::vector<DiscFolder> scanned;
    // Once checked without a finding: the disc folders in disc order.
    std::vector<DiscFolder> discs;
    std::optional<SetFinding> finding;
    // With the check's finding: the set's disc-1 folder (a name in the set's folder)
    // when the chosen folder was a later disc of the set or holds its disc 1, which is
    // what the user meant to choose.
    std::string discOne;

    int DiscCount() const { return static_cast<int>(scanned.size()); }
    // Entries ending in ".mp3" of every disc folder, as a scan shows them.
    int FileCount() const;
    // The tracks a merge takes, from the checked discs: never a stray file.
    int TrackCount() const;
    // The bytes of those tracks, for the estimate of the time left.
    std::int64_t ByteCount() const;
    // The path on disk of a name relative to the set's folder.
    std::string PathInSet(std::string_view name) const;
};

// The chosen folder as a full path without a trailing separator and without "." or
// ".." steps: the scan takes the part before the last separator as the folder that
// holds the set, and the last name as the disc-1 folder's name, so "merge ." from
// inside the disc-1 folder must name that folder. Every front end's choice goes
// through it.
std::string ChosenFolderPath(const std::string& folder);

// Reads the set around the chosen folder: the stem, the set's folder and every disc
// folder with its listing. A finding when the scan could not run, including a stem
// longer than MaxStemText characters, which is refused, not cut.
DiscSet ReadDiscSet(platform::FileSystem& files, const std::string& chosenFolder);

// The one listing of a disc folder of the set: its tracks, pictures and ".mp3" files.
DiscFolder ListDiscFolder(platform::FileSystem& files, const DiscSet& set, const std::string& name);

// ReadDiscSet, showing its finding, and appending each disc folder's name to the
// front end's folder list. False after the message when the scan could not run.
bool ScanDiscSet(platform::FileSystem& files, DiscSet& set, Messages& ui,
                 const std::string& chosenFolder);

// True when an entry of a set's folder that bears the set's stem counts as one of its
// discs: a folder, or a link out of reach (a loop, an unplugged drive) that the merge
// then names instead of leaving it out; never an output folder. `path` is the entry's
// path on disk. The scan and the library search both count discs by it.
bool CountsAsDisc(platform::FileSystem& files, const platform::FoundEntry& entry,
                  const std::string& path);

// The name (in the set's folder) of the folder of disc `disc`, 1-based;
// nothing after a message when the disc is missing or ambiguous (two folders carry its
// number, in one form or two: "Disc 2" and "Disc 02"). Folders that hold the key file
// are output folders and never a disc, as in the scan.
std::optional<std::string> FindDiscFolder(platform::FileSystem& files, const DiscSet& set,
                                          Messages& ui, int disc);

// The message that stops a merge at a disc folder that cannot be read, before it
// writes or while it runs: disc is 1-based, error the system's reason.
std::string UnreadableDiscFolder(int disc, const std::string& folder, std::error_code error);

// Checks the whole set of the last scan before a merge writes anything: a chosen
// folder that names a later disc, every disc present in one folder and readable, no
// folder holding the tracks of several discs, every track a file that can be read, at
// least one track in all, every track a file of known size. Puts the disc folders in
// disc order into set.discs and returns their names, or nothing after one message that
// names the folder and the reason, which set.finding keeps.
std::optional<std::vector<std::string>> CheckDiscSet(platform::FileSystem& files, DiscSet& set,
                                                     Messages& ui);

// The pattern that names every track of the disc with this number ("10*.mp3"), as the
// message about two tracks with one number shows them.
std::string TrackNumberPattern(const DiscTracks& found, int number);

}  // namespace brambex
