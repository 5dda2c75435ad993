// What the library search learns of one folder's entries, shared by the walk of the
// tree (library.cpp) and the reading of the sets among one folder's entries
// (library_sets.cpp). Nothing outside the library includes it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/library.h"
#include "platform/file_system.h"

namespace brambex {

// One entry of a listed folder, with what the walk learnt of it when it was a folder.
struct LibraryEntry {
    explicit LibraryEntry(platform::FoundEntry entry) : found(std::move(entry)) {}
    platform::FoundEntry found;
    bool output = false;
    int mp3s = 0;            // files ending in ".mp3" directly in it
    int numberedTracks = 0;  // of those, the numbered tracks a merge takes
    std::string firstTrack;  // the name of its first track, empty when none
};

// The last name of a path: the folder's own name.
std::string LastPathName(std::string_view path);

// What the parent needs to know of a folder from its listing: its tracks.
void LearnTracks(LibraryEntry& self, const std::vector<platform::FoundEntry>& listing);

// The entries of the folder that may be discs, each sub-folder listed once but not
// walked further.
std::vector<LibraryEntry> EntriesOf(platform::FileSystem& files, const std::string& folder);

// The sets whose disc-1 folders are entries of the folder, each with its title, and
// whether each is merged. `byHand` names an entry that is disc 1 of a set although its
// name has no disc-1 ending, as a folder chosen by hand is.
std::vector<LibrarySet> SetsAmong(platform::FileSystem& files, const std::string& folder,
                                  const std::string& relative,
                                  const std::vector<LibraryEntry>& entries,
                                  std::string_view byHand = {});

}  // namespace brambex
