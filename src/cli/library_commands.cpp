#include "cli/library_commands.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/library_listing.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/printed_plan.h"
#include "cli/terminal_front_end.h"
#include "cli/terminal_text.h"
#include "engine/library_merge.h"
#include "engine/merge_session.h"
#include "tags/text_encoding.h"

namespace brambex::cli {

namespace {

// A table printed in columns; the columns listed in `right` are aligned to the right.
class Table {
  public:
    Table(std::vector<std::string> header, std::vector<std::size_t> right)
        : right_(std::move(right)) {
        rows_.push_back(std::move(header));
    }
    void Add(std::vector<std::string> row) {
        for (std::string& cell : row)
            cell = Printable(cell, stdout);
        rows_.push_back(std::move(row));
    }
    void Print() const {
        std::vector<std::size_t> widths(rows_[0].size(), 0);
        for (const auto& row : rows_)
            for (std::size_t c = 0; c < row.size(); ++c)
                widths[c] = std::max(widths[c], CountUtf8Chars(row[c]));
        for (const auto& row : rows_) {
            std::string line;
            for (std::size_t c = 0; c < row.size(); ++c) {
                const std::string pad(widths[c] - CountUtf8Chars(row[c]), ' ');
                const bool right = std::find(right_.begin(), right_.end(), c) != right_.end();
                line += right ? pad + row[c] : row[c] + (c + 1 < row.size() ? pad : "");
                if (c + 1 < row.size())
                    line += "  ";
            }
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            std::printf("%s\n", line.c_str());
        }
    }

  private:
    std::vector<std::vector<std::string>> rows_;
    std::vector<std::size_t> right_;
};

std::string Plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The links the search did not follow, one line each.
void PrintPassedOver(const LibraryListing& listing, std::FILE* to) {
    for (const std::string& line : listing.passedOver)
        std::fprintf(to, "%s\n", Printable(line, to, true).c_str());
}

}  // namespace

int RunLibrary(const std::string& folder) {
    const LibraryListing listing = ListLibrary(folder, true);
    Table table({"Set", "Title", "Discs", "Tracks", "Merged", "Problem"}, {2, 3});
    int merged = 0;
    int interrupted = 0;
    for (std::size_t i = 0; i < listing.sets.size(); ++i) {
        const LibrarySet& set = listing.sets[i];
        merged += set.merged ? 1 : 0;
        interrupted += set.interrupted ? 1 : 0;
        table.Add({ShownFolder(set.relativeFolder), set.title, std::to_string(set.discs),
                   std::to_string(set.tracks), MergedWord(set), listing.problems[i]});
    }
    for (const UnreadableFolder& unreadable : listing.unreadable)
        table.Add({unreadable.folder, "", "", "", "", FirstLine(unreadable.text)});
    if (!listing.sets.empty() || !listing.unreadable.empty())
        table.Print();
    PrintPassedOver(listing, stdout);
    const std::string unfinished =
        interrupted > 0 ? ", " + std::to_string(interrupted) + " interrupted" : "";
    std::printf("%s, %d merged%s.\n",
                Plural(static_cast<int>(listing.sets.size()), "set", "sets").c_str(), merged,
                unfinished.c_str());
    return listing.unreadable.empty() ? ExitSuccess : ExitStopped;
}

int RunMergeAll(const CliOptions& options, const std::string& folder, TerminalFrontEnd& ui) {
    const LibraryListing listing = ListLibrary(folder, false);
    const std::vector<LibrarySet>& found = listing.sets;
    if (!options.quiet)
        PrintPassedOver(listing, stderr);
    std::vector<LibrarySet> sets;
    for (const LibrarySet& set : found) {
        if (options.redo || !set.merged)
            sets.push_back(set);
    }
    if (!options.quiet) {
        int tracks = 0;
        for (const LibrarySet& set : sets)
            tracks += set.tracks;
        std::fprintf(stderr, "%s found, %s to merge (%s).\n",
                     Plural(static_cast<int>(found.size()), "set", "sets").c_str(),
                     std::to_string(sets.size()).c_str(),
                     Plural(tracks, "track", "tracks").c_str());
        std::fflush(stderr);
    }

    LibraryMergeSettings settings;
    settings.audioBookMode = !options.music.value_or(false);
    settings.jobs = options.jobs;
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
    const std::vector<LibrarySetResult> results =
        MergeLibrary(sets, ui, InterruptCancellation(), settings, planFor);
    std::fflush(stdout);

    Table table({"Set", "Title", "Tracks", "Result"}, {2});
    bool failed = false;
    bool cancelled = false;
    std::size_t next = 0;
    for (const LibrarySet& set : found) {
        std::string result;
        int tracks = set.tracks;
        if (next < sets.size() && sets[next].discOneFolder == set.discOneFolder) {
            const LibrarySetResult& r = results[next++];
            switch (r.state) {
                case LibrarySetResult::State::Merged:
                    tracks = r.tracks;
                    result = (options.dryRun ? "would be merged into " : "merged into ") +
                             r.outputFolders.front();
                    if (r.outputFolders.size() > 1)
                        result += " ... " + r.outputFolders.back();
                    break;
                case LibrarySetResult::State::Failed:
                    failed = true;
                    result = "failed: " + FirstLine(r.message);
                    break;
                case LibrarySetResult::State::Cancelled:
                    cancelled = true;
                    result = "cancelled";
                    break;
                case LibrarySetResult::State::NotStarted:
                    cancelled = true;
                    result = "not started";
                    break;
            }
        } else {
            result = "merged before (--redo merges it again)";
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
    failed = failed || !listing.unreadable.empty();
    if (!options.quiet && (!found.empty() || failed))
        table.Print();
    if (cancelled || InterruptRequested())
        return ExitSignalBase + (InterruptRequested() ? InterruptSignal() : 2);
    return failed ? ExitStopped : ExitSuccess;
}

}  // namespace brambex::cli
