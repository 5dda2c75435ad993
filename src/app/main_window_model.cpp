#include "app/main_window_model.h"

#include <utility>

#include "engine/merge_outcome.h"
#include "platform/file_system.h"

namespace brambex {

namespace {
constexpr const char* FoldersCaption = "Folders";
}

MainWindowModel::MainWindowModel(FrontEnd& ui)
    : session_(ui), caption_(FoldersCaption), status_("Select the first folder in the sequence") {}

void MainWindowModel::ForgetSet() {
    ForgetOutcome();
    folders_.clear();
    session_.ForgetSet();
}

void MainWindowModel::Scan(const std::string& folder) {
    const MergeOutcome scanned = session_.Scan(folder);
    if (!scanned.Completed())
        return;
    folders_ = session_.ScannedFolders();
    status_ =
        std::to_string(scanned.discs) + " discs, " + std::to_string(scanned.tracks) + " files.";
}

void MainWindowModel::Merge(const Cancellation& cancel) {
    ran_ = false;
    outcome_ = session_.Prepare();
    ran_ = outcome_.Completed();
    if (!ran_)
        return;
    // Never a merge under "Folders": the list's caption says whose folders they are.
    caption_ = session_.Settings().choices.audioBookMode ? "Folders in this book"
                                                         : "Folders in this album";
    outcome_ = session_.Run(cancel);
}

void MainWindowModel::MergeEnded() {
    // A merge that ended before its first track without a place to name (Merge Options
    // cancelled, a title refused, no set chosen, an earlier merge kept) leaves the window
    // as it was; its message or status said what there was to say.
    const bool statusShown = std::exchange(statusShown_, false);
    if (!ran_ &&
        (statusShown || outcome_.kind != MergeOutcome::Kind::Stopped || outcome_.stoppedAt.empty()))
        return;
    ForgetOutcome();
    status_ = MergeSummary(outcome_, session_.LastRun(), false);
    notes_ = std::move(outcome_.notes);
    if (!outcome_.Completed())
        return;
    // The set is merged: the list shows where it went.
    outputFolders_ = MergedFolders(session_.LastRun(), true);
    folders_ = MergedFolders(session_.LastRun(), false);
    caption_ = "Output folders";
}

std::string MainWindowModel::OutputFolderPath(const std::string& chosenName) const {
    if (outputFolders_.empty())
        return {};
    if (chosenName.empty())
        return outputFolders_.front();
    return platform::JoinPath(session_.SetFolder(), chosenName);
}

void MainWindowModel::ShowStatus(std::string_view text) {
    status_ = text;
    statusShown_ = true;
}

void MainWindowModel::ShowNotice(std::string_view text) {
    status_ = text;
}

void MainWindowModel::ForgetOutcome() {
    outputFolders_.clear();
    notes_.clear();
    caption_ = FoldersCaption;
}

}  // namespace brambex
