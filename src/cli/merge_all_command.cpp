// merge-all: every set under a folder that is not merged yet (with --redo every one),
// each by a session of its own, with one progress bar over the whole run; then a
// table of what became of each set. A set that fails is passed over.
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "app/library_run.h"
#include "cli/command_entries.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/printed_plan.h"
#include "cli/terminal_front_end.h"
#include "cli/terminal_text.h"
#include "cli/text_table.h"
#include "engine/merge_session.h"

namespace brambex::cli {

namespace {

// The sets to merge, after saying how many there are.
std::vector<LibrarySet> SetsToMerge(const CliOptions& options, const LibraryListing& listing) {
    ChosenSets chosen = ChooseSetsToMerge(listing, options.redo);
    if (!options.quiet) {
        for (const std::string& line : listing.passedOver)
            std::fprintf(stderr, "%s\n", Printable(line, stderr, true).c_str());
        std::fprintf(stderr, "%s found, %zu to merge (%s).\n",
                     Counted(listing.sets.size(), "set", "sets").c_str(), chosen.sets.size(),
                     Counted(static_cast<std::size_t>(chosen.tracks), "track", "tracks").c_str());
        std::fflush(stderr);
    }
    return std::move(chosen.sets);
}

std::vector<LibrarySetResult> MergeSets(const CliOptions& options,
                                        const std::vector<LibrarySet>& sets, TerminalFrontEnd& ui) {
    LibraryMergeSettings settings;
    settings.audioBookMode = !options.music.value_or(false);
    settings.jobs = options.jobs;
    settings.format = options.format;
    settings.bitrateKbps = options.bitrateKbps;
    settings.mono = options.mono;
    settings.redo = options.redo;
    std::unique_ptr<PrintedPlan> plan;
    LibraryPlanFor planFor;
    if (options.dryRun) {
        planFor = [&](std::size_t i, const MergeSession& session) -> DryRun* {
            ui.ClearBar();
            std::printf("== %s\n", Printable(ShownFolder(sets[i].relativeFolder), stdout).c_str());
            plan = std::make_unique<PrintedPlan>(ui, session);
            return plan.get();
        };
    }
    std::vector<LibrarySetResult> results =
        MergeLibrary(platform::SystemFiles(), sets, ui, InterruptCancellation(), settings, planFor);
    std::fflush(stdout);
    return results;
}

// The result column of a set that was merged (or tried).
std::string ResultText(const LibrarySetResult& result, bool dryRun) {
    switch (result.state) {
        case LibrarySetResult::State::Merged: {
            std::string text =
                (dryRun ? "would be merged into " : "merged into ") + result.outputFolders.front();
            if (result.outputFolders.size() > 1)
                text += " ... " + result.outputFolders.back();
            return text;
        }
        case LibrarySetResult::State::Failed:
            return "failed: " + FirstLine(result.message);
        case LibrarySetResult::State::Cancelled:
            return "cancelled";
        case LibrarySetResult::State::NotStarted:
            return "not started";
    }
    return {};
}

struct Ending {
    bool failed = false;
    bool cancelled = false;
};

// One row for each set found, merged now or before, and for each unreadable folder.
Ending PrintResults(const CliOptions& options, const LibraryListing& listing,
                    const std::vector<LibrarySet>& sets,
                    const std::vector<LibrarySetResult>& results) {
    TextTable table({"Set", "Title", "Tracks", "Result"}, {2});
    Ending ending;
    std::size_t next = 0;
    for (const LibrarySet& set : listing.sets) {
        std::string result = "merged before (--redo merges it again)";
        int tracks = set.tracks;
        if (next < sets.size() && sets[next].discOneFolder == set.discOneFolder) {
            const LibrarySetResult& r = results[next++];
            using State = LibrarySetResult::State;
            tracks = r.state == State::Merged ? r.tracks : tracks;
            ending.failed = ending.failed || r.state == State::Failed;
            ending.cancelled =
                ending.cancelled || r.state == State::Cancelled || r.state == State::NotStarted;
            result = ResultText(r, options.dryRun);
        }
        table.Add({ShownFolder(set.relativeFolder), set.title, std::to_string(tracks), result});
    }
    // A folder that could not be read may hold sets that were never merged.
    for (const UnreadableFolder& unreadable : listing.unreadable) {
        table.Add({unreadable.folder, "", "", "failed: " + FirstLine(unreadable.text)});
        if (options.quiet)
            std::fprintf(
                stderr, "%s\n",
                Printable(unreadable.folder + ": " + unreadable.text, stderr, true).c_str());
    }
    ending.failed = ending.failed || !listing.unreadable.empty();
    if (!options.quiet && (!listing.sets.empty() || ending.failed))
        table.Print();
    return ending;
}

}  // namespace

int RunMergeAll(const CliOptions& options, const std::string& folder, TerminalFrontEnd& ui) {
    const LibraryListing listing = ListLibrary(folder, false, options.format);
    const std::vector<LibrarySet> sets = SetsToMerge(options, listing);
    const std::vector<LibrarySetResult> results = MergeSets(options, sets, ui);
    const Ending ending = PrintResults(options, listing, sets, results);
    if (ending.cancelled || InterruptRequested())
        return ExitSignalBase + (InterruptRequested() ? InterruptSignal() : 2);
    return ending.failed ? ExitStopped : ExitSuccess;
}

}  // namespace brambex::cli
