// What the reading pass sees in one MP3 file, as text: the developer command
// brambex-tags prints it.
#pragma once

#include <cstdio>
#include <string>

namespace brambex {

// Writes the report for the file at path to out. False, with a line on the standard
// error stream, when the file cannot be opened or read.
bool PrintTagReport(const std::string& path, std::FILE* out);

}  // namespace brambex
