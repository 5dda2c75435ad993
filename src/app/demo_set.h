// A small sample set to try the program on a machine without the user's own rips:
// three disc folders of short silent tracks with ID3v2.3 tags (some in UTF-16), a gap
// in the numbering, a track without a title frame and a cover picture.
#pragma once

#include <string>

namespace brambex {

// Name of the first disc folder that WriteDemoSet makes.
extern const char* const DemoFirstDiscFolder;

// The first disc folder's path in dir, the folder to merge.
std::string DemoFirstDiscPath(const std::string& dir);

// Writes the set into dir, which is made when missing. False with a reason in error
// when a file cannot be written or a disc folder of the set exists already.
bool WriteDemoSet(const std::string& dir, std::string& error);

}  // namespace brambex
