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
    const bool scanned = ScanDiscSet(set_, ui_, chosenFolder);
    settings_.setFolder = set_.setFolder;
    if (!scanned)
        return {MergeOutcome::Kind::Stopped, 0, 0};
    // A folder with no disc folders beside it gives nothing to merge.
    hasSet_ = set_.DiscCount() > 0;
    return {MergeOutcome::Kind::Completed, set_.DiscCount(), set_.FileCount()};
}

MergeOutcome MergeSession::Check() {
    if (!CheckDiscSet(set_, ui_))
        return {MergeOutcome::Kind::Stopped, set_.DiscCount(), 0};
    return {MergeOutcome::Kind::Completed, set_.DiscCount(), set_.FileCount()};
}

MergeOutcome MergeSession::Prepare(DryRun* dryRun) {
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
    // The folders may have changed since the scan (a disc ripped, a track renamed): the
    // merge lists the set once more, and everything it does comes from that listing.
    DiscSet set = ReadDiscSet(set_.chosenFolder);
    if (set.finding) {
        ui_.ShowMessage(set.finding->text, set.finding->caption, set.finding->style);
        return {MergeOutcome::Kind::Stopped, 0, 0};
    }
    set_ = std::move(set);
    // A set that cannot be merged whole is refused before anything is asked or written.
    if (!CheckDiscSet(set_, ui_))
        return {MergeOutcome::Kind::Stopped, set_.DiscCount(), 0};
    settings_.setFolder = set_.setFolder;
    settings_.trackCount = set_.TrackCount();
    // The title proposed depends on the sets beside this one; a caller that knows it
    // already (a library's run) has put it there.
    if (settings_.proposedTitle.empty())
        settings_.proposedTitle = ProposedSetTitle(set_.setFolder, set_.discs.front().name);
    driver_ = std::make_unique<MergeDriver>(settings_, ui_, set_, dryRun);
    MergeOutcome outcome = driver_->Prepare();
    if (!outcome.Completed())
        driver_.reset();
    return outcome;
}

MergeOutcome MergeSession::Run(const Cancellation& cancel) {
    if (!driver_)
        return {MergeOutcome::Kind::Stopped, set_.DiscCount(), 0};
    MergeOutcome outcome = driver_->Run(cancel);
    // The output folders' locks go with the driver, when the merge has ended.
    driver_.reset();
    if (outcome.Completed())
        hasSet_ = false;
    return outcome;
}

MergeOutcome MergeSession::Merge(const Cancellation& cancel, DryRun* dryRun) {
    MergeOutcome prepared = Prepare(dryRun);
    if (!prepared.Completed())
        return prepared;
    return Run(cancel);
}

}  // namespace brambex
