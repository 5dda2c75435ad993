// The options that brambex answers on standard output without opening a window, so
// that they work where there is no display (over SSH, in a package check).
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace brambex {

// With --version or --help among the arguments, prints the answer to out and gives
// the exit status; otherwise gives nothing and the program opens its window. Every
// other argument is left to Qt (-platform, -style, ...).
std::optional<int> AnswerWithoutWindow(int argc, char** argv, std::FILE* out);

// The folder named on the command line ("brambex FOLDER", as a desktop opens a folder
// with the program), from what Qt left of the arguments after the program's name: the
// first that is no option, or the first after "--". Empty when none is named.
std::string FolderArgument(const std::vector<std::string>& arguments);

}  // namespace brambex
