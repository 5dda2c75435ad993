// The options that brambex answers on standard output without opening a window, so
// that they work where there is no display (over SSH, in a package check).
#pragma once

#include <cstdio>
#include <optional>

namespace brambex {

// With --version or --help among the arguments, prints the answer to out and gives
// the exit status; otherwise gives nothing and the program opens its window. Every
// other argument is left to Qt (-platform, -style, ...).
std::optional<int> AnswerWithoutWindow(int argc, char** argv, std::FILE* out);

}  // namespace brambex
