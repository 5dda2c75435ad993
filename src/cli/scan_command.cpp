// scan: the chosen set's disc folders and counts, then what a merge of the set would
// find wrong before writing anything.
#include <cstdio>

#include "app/library_listing.h"
#include "app/sorted_names.h"
#include "cli/command_entries.h"
#include "cli/commands.h"
#include "cli/terminal_front_end.h"
#include "cli/terminal_text.h"
#include "engine/merge_session.h"

namespace brambex::cli {

int RunScan(const CliOptions& options, TerminalFrontEnd& ui) {
    MergeSession session(ui);
    MergeOutcome scanned = session.Scan(options.folder);
    if (!scanned.Completed())
        return ExitStopped;
    for (const std::string& name : SortedNames(session.ScannedFolders()))
        std::printf("%s\n", Printable(name, stdout).c_str());
    std::printf("%s\n", ScanCounts(scanned.discs, scanned.tracks).c_str());
    std::fflush(stdout);
    if (!session.Check().Completed())
        return ExitStopped;
    return ExitSuccess;
}

}  // namespace brambex::cli
