// The folder a user names on a command line when it cannot be used: the complaint
// about a name that is no folder. (Its full path is the scan's ChosenFolderPath.)
#pragma once

#include <string>

namespace brambex {

// "FOLDER is not a folder", with the system's reason where there is one; empty when it
// is a folder.
std::string ChosenFolderProblem(const std::string& folder);

}  // namespace brambex
