// merge: the chosen set scanned, Merge Options answered from the command line, and
// every track merged, or with --dry-run each output folder and track printed.
#include <cstdio>

#include "app/library_listing.h"
#include "cli/command_entries.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/printed_plan.h"
#include "cli/terminal_front_end.h"
#include "cli/terminal_text.h"
#include "engine/merge_outcome.h"
#include "engine/merge_session.h"

namespace brambex::cli {

int RunMerge(const CliOptions& options, TerminalFrontEnd& ui) {
    MergeSession session(ui);
    MergeOutcome scanned = session.Scan(options.folder);
    if (!scanned.Completed())
        return ExitStopped;
    if (!options.quiet) {
        std::fprintf(stderr, "%s\n", ScanCounts(scanned.discs, scanned.tracks).c_str());
        std::fflush(stderr);
    }
    // The Merge Options form opens in the type of CDs the options chose.
    session.Settings().choices.audioBookMode = !options.music.value_or(false);
    session.Settings().choices.jobs = options.jobs;
    session.Settings().choices.format = options.format;
    session.Settings().choices.bitrateKbps = options.bitrateKbps;
    session.Settings().choices.mono = options.mono;
    PrintedPlan plan(ui, session);
    MergeOutcome merged = session.Merge(InterruptCancellation(), options.dryRun ? &plan : nullptr);
    std::fflush(stdout);
    switch (merged.kind) {
        case MergeOutcome::Kind::Completed:
            // A Ctrl-C that came after the last track was polled did not stop anything:
            // the set is complete, and is reported so.
            break;
        case MergeOutcome::Kind::Refused:
            return ExitBadUsage;
        case MergeOutcome::Kind::Cancelled:
        case MergeOutcome::Kind::Stopped:
            return InterruptRequested() ? ExitSignalBase + InterruptSignal() : ExitStopped;
    }
    if (options.dryRun) {
        if (!options.quiet && !std::ferror(stdout))
            std::fprintf(stderr, "Dry run: %d tracks would be merged; nothing was written.\n",
                         plan.tracks);
        return ExitSuccess;
    }
    if (!options.quiet)
        std::printf("%s\n",
                    Printable(MergeSummary(merged, session.LastRun(), true), stdout).c_str());
    return ExitSuccess;
}

}  // namespace brambex::cli
