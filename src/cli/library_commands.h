// The commands on a whole library: library (the table of its sets) and merge-all.
#pragma once

#include <string>

#include "cli/cli_options.h"

namespace brambex::cli {

class TerminalFrontEnd;

// folder: the library's folder as a full path.
int RunLibrary(const std::string& folder);
int RunMergeAll(const CliOptions& options, const std::string& folder, TerminalFrontEnd& ui);

}  // namespace brambex::cli
