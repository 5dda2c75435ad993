#include "cli/commands.h"

#include <cerrno>
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
#include "engine/disc_set.h"
#include "engine/system_reason.h"
#include "platform/file_system.h"

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
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    const int error = errno;
    std::fprintf(stderr, "brambex-cli: cannot write to standard output%s%s\n",
                 error != 0 ? ": " : "",
                 error != 0 ? SystemReason(platform::SystemError(error)).c_str() : "");
    return ExitStopped;
}

int RunCommand(const CliOptions& options) {
    if (options.command == Command::Help) {
        std::fputs(UsageText().c_str(), stdout);
        return ExitSuccess;
    }
    if (options.command == Command::Version) {
        std::printf("brambex-cli %s\n", Version);
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
        return RunLibrary(ChosenFolderPath(options.folder));
    if (options.command == Command::MergeAll)
        return RunMergeAll(options, ChosenFolderPath(options.folder), ui);
    return RunMerge(options, ui);
}

}  // namespace

int RunCli(int argc, char** argv) {
    IgnoreBrokenPipes();
    UseUtf8Console();
    const std::vector<std::string> utf8 = platform::CommandLineArguments(argc, argv);
    ParseResult parsed = ParseCommandLine(std::vector<std::string_view>(utf8.begin(), utf8.end()));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "brambex-cli: %s\nTry 'brambex-cli --help'.\n",
                     Printable(parsed.error, stderr).c_str());
        return ExitBadUsage;
    }
    return CheckedOutput(RunCommand(parsed.options), parsed.options);
}

}  // namespace brambex::cli
