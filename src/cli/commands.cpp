#include "cli/commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/chosen_folder.h"
#include "brambex_version.h"
#include "cli/cli_options.h"
#include "cli/command_entries.h"
#include "cli/console.h"
#include "cli/interrupt.h"
#include "cli/terminal_front_end.h"
#include "cli/terminal_text.h"

namespace brambex::cli {

namespace {

// A listing, a plan or the help that could not be written is no success. A completed
// merge is: its product is the output folders, and the summary line only reports it.
int CheckedOutput(int status, const CliOptions& options) {
    bool printedIsTheProduct =
        (options.command != Command::Merge && options.command != Command::MergeAll) ||
        options.dryRun;
    if (status != ExitSuccess || !printedIsTheProduct)
        return status;
    const std::string problem = StandardOutputProblem();
    if (problem.empty())
        return status;
    std::fprintf(stderr, "brambex-cli: %s\n", problem.c_str());
    return ExitStopped;
}

int RunCommand(const CliOptions& options) {
    if (options.command == Command::Help) {
        std::fputs(UsageText().c_str(), stdout);
        return ExitSuccess;
    }
    if (options.command == Command::Version) {
        std::printf(
            "brambex-cli %s\n"
            "Copyright 2026 Halvern Labs\n"
            "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
            "This is free software: you are free to change and redistribute it.\n"
            "There is NO WARRANTY, to the extent permitted by law.\n",
            Version);
        return ExitSuccess;
    }
    if (options.command == Command::Demo)
        return RunDemo(options);

    if (const std::string problem = ChosenFolderProblem(options.folder); !problem.empty()) {
        std::fprintf(stderr, "brambex-cli: %s\n", Printable(problem, stderr).c_str());
        return ExitStopped;
    }
    if (options.command == Command::Merge || options.command == Command::MergeAll)
        CatchInterrupts();
    ProgressStyle progress = ProgressStyle::None;
    if (!options.quiet && IsTerminal(stderr))
        progress = EnableTerminalSequences(stderr) ? ProgressStyle::Bar : ProgressStyle::Lines;
    TerminalFrontEnd ui(options, stderr, progress, IsTerminal(stdin));
    if (options.command == Command::Scan)
        return RunScan(options, ui);
    if (options.command == Command::Library)
        return RunLibrary(ChosenFolderFullPath(options.folder));
    if (options.command == Command::MergeAll)
        return RunMergeAll(options, ChosenFolderFullPath(options.folder), ui);
    return RunMerge(options, ui);
}

}  // namespace

int RunCli(int argc, char** argv) {
    IgnoreBrokenPipes();
    UseUtf8Console();
    const std::vector<std::string> utf8 = ProgramArguments(argc, argv);
    ParseResult parsed = ParseCommandLine(std::vector<std::string_view>(utf8.begin(), utf8.end()));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "brambex-cli: %s\nTry 'brambex-cli --help'.\n",
                     Printable(parsed.error, stderr).c_str());
        return ExitBadUsage;
    }
    return CheckedOutput(RunCommand(parsed.options), parsed.options);
}

}  // namespace brambex::cli
