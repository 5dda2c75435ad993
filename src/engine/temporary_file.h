// The one way a merge writes a file into an output folder, for tracks and pictures
// alike: under a temporary name first, renamed when complete, so that a file that
// fails halfway never lies there under its name. The temporary name is hidden, does
// not end in .mp3 or .jpg and is this run's own (process and clock), so no scan takes
// a leftover for a track or picture and no other merge writes to it; the next merge
// of the folder removes what a killed run left (ClearOutputFolder).
#pragma once

#include <string>

#include "platform/file_system.h"

namespace brambex {

class OutputFile;

// A temporary name of this run: ".brambex-<process>-<clock>.part".
std::string TemporaryFileName();

// Creates the temporary file new: what lies under its name (a leftover, a link) is
// removed, never written through. False with the reason in out.Error().
bool CreateTemporaryFile(platform::FileSystem& files, OutputFile& out, const std::string& path);

// Gives the completed temporary file its name, replacing a file of that name; when it
// cannot, the temporary file is removed.
platform::Status NameCompletedFile(platform::FileSystem& files, const std::string& temporary,
                                   const std::string& path);

// Removes a temporary file that will not be completed.
void DiscardTemporaryFile(platform::FileSystem& files, const std::string& temporary);

}  // namespace brambex
