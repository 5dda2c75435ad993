// demo: a small sample set to try the program on, and the command that merges it.
#include <cstdio>

#include "app/chosen_folder.h"
#include "app/demo_set.h"
#include "cli/command_entries.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/terminal_text.h"

namespace brambex::cli {

int RunDemo(const CliOptions& options) {
    std::string error;
    if (!WriteDemoSet(options.folder, error)) {
        std::fprintf(stderr, "brambex-cli: %s\n", Printable(error, stderr).c_str());
        return ExitStopped;
    }
    std::string first = DemoFirstDiscPath(ChosenFolderFullPath(options.folder));
    std::printf("Wrote a sample set of three discs. Merge it with:\n  brambex-cli merge %s\n",
                Printable(ShellQuoted(first), stdout).c_str());
    return ExitSuccess;
}

}  // namespace brambex::cli
