#include "engine/merge_session.h"

#include "engine/disc_set.h"
#include "engine/library.h"

namespace brambex {

MergeSession::MergeSession(FrontEnd& frontEnd) : ui_(frontEnd) {}

MergeSession::~MergeSession() = default;

MergeOutcome MergeSession::Scan(const std::string& chosenFolder) {
    driver_.reset();
    hasSet_ = false;
    settings_.proposedTitle.clear();
    if (!ScanDiscSet(settings_, ui_, chosenFolder))
        return {MergeOutcome::Kind::Stopped, 0, 0};
    // A folder with no disc folders beside it gives nothing to merge.
    hasSet_ = settings_.discCount > 0;
    return {MergeOutcome::Kind::Completed, settings_.discCount, settings_.trackCount};
}

MergeOutcome MergeSession::Check() {
    if (!CheckDiscSet(settings_, ui_))
        return {MergeOutcome::Kind::Stopped, settings_.discCount, 0};
    return {MergeOutcome::Kind::Completed, settings_.discCount, settings_.trackCount};
}

MergeOutcome MergeSession::Prepare(MergePlan* dryRun) {
    driver_.reset();
    if (!hasSet_) {
        ui_.ShowMessage(
            "Before merging, you must first select the folder\ncontaining the first disk of "
            "the set.",
            "Error", MessageStyle::Exclamation);
        return {MergeOutcome::Kind::Stopped, 0, 0};
    }
    settings_.runningNumber = 0;
    settings_.folderNumber = 0;
    // A set that cannot be merged whole is refused before anything is asked or written.
    std::optional<std::vector<std::string>> folders = CheckDiscSet(settings_, ui_);
    if (!folders)
        return {MergeOutcome::Kind::Stopped, settings_.discCount, 0};
    // The title proposed depends on the sets beside this one; a caller that knows it
    // already (a library's run) has put it there.
    if (settings_.proposedTitle.empty())
        settings_.proposedTitle = ProposedSetTitle(settings_.setFolder, folders->front());
    driver_ = std::make_unique<MergeDriver>(settings_, ui_, std::move(*folders), dryRun);
    MergeOutcome outcome = driver_->Prepare();
    if (!outcome.Completed())
        driver_.reset();
    return outcome;
}

MergeOutcome MergeSession::Run(const Cancellation& cancel) {
    if (!driver_)
        return {MergeOutcome::Kind::Stopped, settings_.discCount, 0};
    MergeOutcome outcome = driver_->Run(cancel);
    // The output folders' locks go with the driver, when the merge has ended.
    driver_.reset();
    if (outcome.Completed())
        hasSet_ = false;
    return outcome;
}

MergeOutcome MergeSession::Merge(const Cancellation& cancel, MergePlan* dryRun) {
    MergeOutcome prepared = Prepare(dryRun);
    if (!prepared.Completed())
        return prepared;
    return Run(cancel);
}

}  // namespace brambex
