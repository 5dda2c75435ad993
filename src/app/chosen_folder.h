// The folder a user names on a command line or in a window: its full path, as the scan
// takes it, and the complaint about a name that is no folder. Also the program's own
// arguments and output, which the system may fail to give or to take.
#pragma once

#include <string>
#include <vector>

namespace brambex {

// "FOLDER is not a folder", with the system's reason where there is one; empty when it
// is a folder.
std::string ChosenFolderProblem(const std::string& folder);

// The folder as a full path without "." or ".." steps or a trailing separator
// (ChosenFolderPath, the scan's rule): what a library search or a demo set is given.
std::string ChosenFolderFullPath(const std::string& folder);

// The program's arguments after its name, in UTF-8 (on Windows read again from the
// system as UTF-16, since main() gets them in the ANSI code page).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Flushes standard output: empty when everything printed reached it; else "cannot write
// to standard output", followed by ": " and the system's reason when there is one.
std::string StandardOutputProblem();

}  // namespace brambex
