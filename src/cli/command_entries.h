// The commands of brambex-cli, each in a file of its own; commands.cpp parses the
// command line and calls one. Each returns the process's exit status.
#pragma once

#include <string>

#include "cli/cli_options.h"

namespace brambex::cli {

class TerminalFrontEnd;

// scan: the disc folders and the counts, then the check a merge makes first.
int RunScan(const CliOptions& options, TerminalFrontEnd& ui);
// merge: one set, or its dry run.
int RunMerge(const CliOptions& options, TerminalFrontEnd& ui);
// library: the table of the sets under the folder (a full path).
int RunLibrary(const std::string& folder);
// merge-all: every set under the folder (a full path) not merged yet, or every one.
int RunMergeAll(const CliOptions& options, const std::string& folder, TerminalFrontEnd& ui);
// demo: a small sample set written into the folder.
int RunDemo(const CliOptions& options);

}  // namespace brambex::cli
