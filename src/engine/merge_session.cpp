#include "engine/merge_session.h"

#include "engine/disc_set.h"
#include "engine/library.h"
#include "engine/plan_resolution.h"
#include "options/merge_preparation.h"

namespace brambex {

MergeSession::MergeSession(FrontEnd& frontEnd, platform::FileSystem& files)
    : ui_(frontEnd), files_(files) {}

MergeSession::~MergeSession() = default;

MergeOutcome MergeSession::Scan(const std::string& chosenFolder) {
    writer_.reset();
    hasSet_ = false;
    settings_.proposedTitle.clear();
    const std::string previous = set_.chosenFolder;
    const bool scanned = ScanDiscSet(files_, set_, ui_, chosenFolder);
    // Choices confirmed for one set are never proposed for another.
    if (set_.chosenFolder != previous)
        settings_.choicesConfirmed = false;
    if (!scanned)
        return {MergeOutcome::Kind::Stopped, 0, 0};
    // A folder with no disc folders beside it gives nothing to merge.
    hasSet_ = set_.DiscCount() > 0;
    return {MergeOutcome::Kind::Completed, set_.DiscCount(), set_.FileCount()};
}

std::vector<std::string> MergeSession::ScannedFolders() const {
    std::vector<std::string> names;
    for (const DiscFolder& disc : set_.scanned)
        names.push_back(disc.name);
    return names;
}

MergeOutcome MergeSession::Check() {
    if (!CheckDiscSet(files_, set_, ui_))
        return {MergeOutcome::Kind::Stopped, set_.DiscCount(), 0};
    return {MergeOutcome::Kind::Completed, set_.DiscCount(), set_.FileCount()};
}

MergeOutcome MergeSession::Prepare(DryRun* dryRun) {
    writer_.reset();
    if (!hasSet_) {
        ui_.ShowMessage(
            "Before merging, you must first select the folder\ncontaining the first disc of "
            "the set.",
            "Error", MessageKind::Warning);
        return {MergeOutcome::Kind::Stopped, 0, 0};
    }
    // The folders may have changed since the scan (a disc ripped, a track renamed): the
    // merge lists the set once more, and everything it does comes from that listing.
    DiscSet set = ReadDiscSet(files_, set_.chosenFolder);
    if (set.finding) {
        ui_.ShowMessage(set.finding->text, set.finding->caption, set.finding->style);
        return {MergeOutcome::Kind::Stopped, 0, 0};
    }
    set_ = std::move(set);
    // A set that cannot be merged whole is refused before anything is asked or written.
    if (!CheckDiscSet(files_, set_, ui_))
        return {MergeOutcome::Kind::Stopped, set_.DiscCount(), 0};
    // The title proposed depends on the sets beside this one; a caller that knows it
    // already (a library's run) has put it there.
    if (settings_.proposedTitle.empty())
        settings_.proposedTitle = ProposedSetTitle(files_, set_.setFolder, set_.discs.front().name);
    return PlanAndBegin(dryRun);
}

MergeOutcome MergeSession::PlanAndBegin(DryRun* dryRun) {
    const MergeOutcome none{MergeOutcome::Kind::Stopped, set_.DiscCount(), 0};
    // Planned with the choices of the last merge first: where it stops before any
    // track, nothing is asked.
    plan_ = PlanMerge(set_, settings_.choices);
    if (plan_.tracks.empty()) {
        MergeOutcome stopped = none;
        if (plan_.stop) {
            ui_.ShowMessage(plan_.stop->text, plan_.stop->caption, plan_.stop->style);
            stopped.stoppedAt = plan_.stop->at;
        } else {
            ShowNothingMerged(ui_);
        }
        return stopped;
    }
    // The preview plans the dialog's values over the set's listing and the titles read
    // here: the dialog's thread reads no file.
    const std::vector<std::optional<std::string>> ownTitles =
        ReadOwnTitles(files_, plan_, PreviewTracks);
    const PreviewSource preview = [this, ownTitles](const MergeChoices& choices) {
        return PreviewPlan(PlanMerge(set_, choices), ownTitles);
    };
    const auto runForm = [this](MergeOptionsForm& form) { return ui_.RunMergeOptions(form); };
    const auto tell = [this](const Message& message) { ui_.Show(message); };
    switch (PrepareMergeSettings(files_, settings_, runForm, tell,
                                 set_.PathInSet(plan_.tracks.front().inputPath), preview)) {
        case Preparation::Confirmed:
            settings_.choicesConfirmed = true;
            break;
        case Preparation::Cancelled:
            return {MergeOutcome::Kind::Cancelled, set_.DiscCount(), 0};
        case Preparation::Refused:
            return {MergeOutcome::Kind::Refused, set_.DiscCount(), 0};
    }
    plan_ = PlanMerge(set_, settings_.choices);
    if (plan_.splitForCount)
        ui_.ShowMessage(
            "Too many tracks to fit in one folder.\nAdding a sequence number to the folder name.",
            "Error", MessageKind::Notice);
    // Each merge starts from a fresh record of where its output stands.
    run_ = StartRun(plan_);
    writer_ = MakeOutputWriter(settings_.choices.format,
                               {run_, ui_, files_, set_, dryRun, settings_.choices.jobs});
    MergeOutcome outcome = writer_->Begin(plan_);
    if (!outcome.Completed())
        writer_.reset();
    return outcome;
}

MergeOutcome MergeSession::Run(const Cancellation& cancel) {
    if (!writer_)
        return {MergeOutcome::Kind::Stopped, set_.DiscCount(), 0};
    MergeOutcome outcome = writer_->Write(cancel);
    // The output folders' locks go with the driver, when the merge has ended.
    writer_.reset();
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
