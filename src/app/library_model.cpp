#include "app/library_model.h"

#include "platform/file_system.h"

namespace brambex {

namespace {

// The output folders the plan fills: "A_1", or "A_1" ... "A_3".
std::string Into(const LibrarySet& set, const LibrarySetPlan& plan) {
    if (plan.outputFolders.empty())
        return "\"" + set.outputFolder + "\"";
    std::string into = "\"" + plan.outputFolders.front() + "\"";
    if (plan.outputFolders.size() > 1)
        into += " ... \"" + plan.outputFolders.back() + "\"";
    return into;
}

std::string PlanText(const LibrarySet& set, const LibrarySetPlan& plan, const std::string& problem,
                     bool on) {
    const std::string into = Into(set, plan);
    if (!problem.empty())
        return (on ? "Will fail: " : "Cannot be merged: ") + problem;
    if (set.merged)
        return on ? "Will be merged again into " + into + ", replacing it"
                  : "Merged already into " + into;
    if (set.interrupted)
        return on ? "Will be merged again into " + into + ", replacing a merge that did not finish"
                  : "The merge into " + into + " did not finish";
    return on ? "Will be merged into " + into : "Left as it is";
}

}  // namespace

LibraryModel::LibraryModel(const std::string& folder) : listing_(ListLibrary(folder, true)) {
    for (const LibrarySet& set : listing_.sets)
        rows_.push_back({ShownFolder(set.relativeFolder),
                         set.title,
                         std::to_string(set.discs),
                         std::to_string(set.tracks),
                         true,
                         // A set whose merge would fail is left for the user to mend.
                         !set.merged && listing_.problems[rows_.size()].empty(),
                         {},
                         {}});
    // Sets in a folder the search could not read may be missing: each such folder is a
    // row of its own, with the reason and nothing to check.
    for (const UnreadableFolder& folderNote : listing_.unreadable)
        rows_.push_back({folderNote.folder,
                         {},
                         {},
                         {},
                         false,
                         false,
                         FirstLine(folderNote.text),
                         folderNote.text});
    Plan();
}

void LibraryModel::SetChecked(std::size_t row, bool checked) {
    if (row < rows_.size() && rows_[row].checkable)
        rows_[row].checked = checked;
    Plan();
}

void LibraryModel::Plan() {
    int checked = 0;
    for (std::size_t i = 0; i < listing_.sets.size(); ++i) {
        checked += rows_[i].checked ? 1 : 0;
        rows_[i].whatHappens =
            PlanText(listing_.sets[i], listing_.plans[i], listing_.problems[i], rows_[i].checked);
        rows_[i].whatHappensInFull = PlanText(listing_.sets[i], listing_.plans[i],
                                              listing_.plans[i].problem, rows_[i].checked);
    }
    summary_ = Counted(listing_.sets.size(), "set", "sets") + " found, " + std::to_string(checked) +
               " checked.";
    const std::size_t unreadable = listing_.unreadable.size();
    if (unreadable == 1)
        summary_ += " 1 folder could not be read.";
    else if (unreadable > 1)
        summary_ += " " + std::to_string(unreadable) + " folders could not be read.";
    mergeEnabled_ = checked > 0 && !merging_;
}

std::vector<LibrarySet> LibraryModel::StartMerge() {
    std::vector<LibrarySet> sets;
    if (merging_)
        return sets;
    chosen_.clear();
    for (std::size_t i = 0; i < listing_.sets.size(); ++i) {
        if (rows_[i].checked) {
            chosen_.push_back(i);
            sets.push_back(listing_.sets[i]);
        }
    }
    merging_ = !sets.empty();
    mergeEnabled_ = mergeEnabled_ && !merging_;
    return sets;
}

void LibraryModel::MergeEnded(const std::vector<LibrarySetResult>& results) {
    int merged = 0, failed = 0;
    for (std::size_t n = 0; n < chosen_.size() && n < results.size(); ++n) {
        const std::size_t i = chosen_[n];
        const LibrarySetResult& result = results[n];
        // A set merged, cancelled or stopped halfway is now what its folder holds.
        ReadMergedState(platform::SystemFiles(), listing_.sets[i]);
        std::string& text = rows_[i].whatHappens;
        switch (result.state) {
            case LibrarySetResult::State::Merged:
                ++merged;
                rows_[i].checked = false;
                text = "Merged into \"" + result.outputFolders.front() + "\"";
                break;
            case LibrarySetResult::State::Failed:
                ++failed;
                text = "Failed: " + FirstLine(result.message);
                rows_[i].whatHappensInFull = "Failed: " + result.message;
                break;
            case LibrarySetResult::State::Cancelled:
                text = "Cancelled";
                break;
            case LibrarySetResult::State::NotStarted:
                text = "Not started";
                break;
        }
        if (result.state != LibrarySetResult::State::Failed)
            rows_[i].whatHappensInFull = text;
    }
    merging_ = false;
    summary_ = std::to_string(merged) + " merged, " + std::to_string(failed) + " failed.";
    mergeEnabled_ = true;
}

}  // namespace brambex
