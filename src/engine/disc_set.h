// Disc-set discovery: turns the folder of disc 1 into a set of sibling disc folders.
// The scan, right after the user chose the folder, forms the stem the disc folders
// share, notes the folder that holds them as the set's folder and counts discs and
// tracks; the lookup finds each disc's folder again by its number during a merge.
// Folder names are relative to the set's folder (MergeSettings::setFolder).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "options/front_end.h"
#include "options/merge_settings.h"
#include "platform/file_system.h"

namespace brambex {

// The chosen folder's path with its disc-1 suffix (" Disc 1", " Disk 01", " 1", " 01"
// ...) cut off; the whole path when no suffix is recognised. In the forms whose number
// follows the word directly or stands in brackets (" CD1", " (Disc 1)") only the
// number and what follows it are cut ("... CD", "... (Disc ").
std::string DiscFolderStem(std::string_view chosenFolder, bool& suffixFound);

// Scans the set around the chosen folder: sets the stem, the set's folder, the suffix
// flag and the counts, and appends each disc folder's name to the
// front end's folder list. False after a message when the scan could not run,
// including a stem longer than MaxStemText characters, which is refused, not cut.
bool ScanDiscSet(MergeSettings& settings, FrontEnd& ui, const std::string& chosenFolder);

// True when an entry of a set's folder that bears the set's stem counts as one of its
// discs: a folder, or a link out of reach (a loop, an unplugged drive) that the merge
// then names instead of leaving it out; never an output folder. `path` is the entry's
// path on disk. The scan and the library search both count discs by it.
bool CountsAsDisc(const platform::FoundEntry& entry, const std::string& path);

// Number of entries matching "*.mp3" in the folder (a path on disk).
int CountTracks(const std::string& folder);

// The name (in the set's folder) of the folder of disc `disc`, 1-based;
// nothing after a message when the disc is missing or ambiguous (two folders carry its
// number, in one form or two: "Disc 2" and "Disc 02"). Folders that hold the key file
// are output folders and never a disc, as in the scan.
std::optional<std::string> FindDiscFolder(const MergeSettings& settings, FrontEnd& ui, int disc);

// The message that stops a merge at a disc folder that cannot be read, before it
// writes or while it runs: disc is 1-based, error the system's reason.
std::string UnreadableDiscFolder(int disc, const std::string& folder, int error);

// Checks the whole set of the last scan before a merge writes anything: a chosen
// folder that names a later disc, every disc present in one folder and readable, no
// folder holding the tracks of several discs, every track a file that can be read, at
// least one track in all. Returns the
// disc folders in disc order, or nothing after one message that names the folder and
// the reason.
std::optional<std::vector<std::string>> CheckDiscSet(const MergeSettings& settings, FrontEnd& ui);

}  // namespace brambex
