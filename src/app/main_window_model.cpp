#include "app/main_window_model.h"

#include <utility>

#include "app/library_listing.h"
#include "app/merge_end_words.h"
#include "engine/merge_outcome.h"
#include "engine/merge_plan.h"
#include "engine/system_reason.h"
#include "platform/file_system.h"

namespace brambex {

namespace {

constexpr const char* FoldersCaption = "Folders";
constexpr const char* ChooseText = "Select the first folder in the sequence";

}  // namespace

MainWindowModel::MainWindowModel(FrontEnd& ui, platform::FileSystem& files)
    : files_(files),
      messages_(ui),
      session_(messages_, files),
      caption_(FoldersCaption),
      status_(ChooseText) {}

void MainWindowModel::ForgetSet() {
    ForgetOutcome();
    folders_.clear();
    chosen_.clear();
    finding_.clear();
    discOne_.clear();
    mergeable_ = false;
    session_.ForgetSet();
}

void MainWindowModel::Scan(const std::string& folder) {
    ForgetSet();
    chosen_ = folder;
    const MergeOutcome scanned = ReadSet();
    if (!scanned.Completed()) {
        status_ = ChooseText;
        return;
    }
    folders_ = session_.ScannedFolders();
    status_ = ScanCounts(scanned.discs, scanned.tracks);
    recent_.Add(chosen_);
}

std::string MainWindowModel::OpenRecent(const std::string& path) {
    if (const platform::Status there = files_.IsFolder(path); !there) {
        recent_.Remove(path);
        return WithReason("The folder \"" + path + "\" is no longer there", there.error) +
               ".\nIt is taken off the recent sets.";
    }
    Scan(path);
    return {};
}

void MainWindowModel::UseDiscOne() {
    if (discOne_.empty())
        return;
    // The later disc was a wrong pick of this set, not a set of its own to offer again.
    recent_.Remove(chosen_);
    Scan(std::string(discOne_));
}

MergeOutcome MainWindowModel::ReadSet() {
    std::vector<Message> found;
    MergeOutcome scanned;
    {
        const HeldMessages::Holding holding(messages_, found);
        scanned = session_.Scan(chosen_);
        if (scanned.Completed())
            session_.Check();
    }
    finding_.clear();
    discOne_.clear();
    for (const Message& message : found)
        finding_ += (finding_.empty() ? "" : "\n") + message.text;
    const DiscSet& set = session_.Set();
    if (!set.chosenFolder.empty())
        chosen_ = set.chosenFolder;
    if (!set.discOne.empty())
        discOne_ = set.PathInSet(set.discOne);
    // Two tracks with one number are the plan's finding: the merge would stop there.
    if (finding_.empty() && scanned.Completed()) {
        if (const MergePlan plan = PlanMerge(set, session_.Settings().choices); plan.stop)
            finding_ = "Two or more tracks have the same number: \"" + plan.stop->at +
                       "\".\nPlease give each track a number of its own, then select the "
                       "set again.";
    }
    mergeable_ = session_.HasSet() && finding_.empty();
    return scanned;
}

void MainWindowModel::Merge(const Cancellation& cancel) {
    ran_ = false;
    held_.clear();
    outcome_ = session_.Prepare();
    ran_ = outcome_.Completed();
    if (!ran_)
        return;
    // Never a merge under "Folders": the list's caption says whose folders they are.
    caption_ = session_.Settings().choices.audioBookMode ? "Folders in this book"
                                                         : "Folders in this album";
    const HeldMessages::Holding holding(messages_, held_);
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
    // What went wrong while the tracks were written comes first under Details.
    notes_ = HeldMessageNotes(held_);
    notes_.insert(notes_.end(), outcome_.notes.begin(), outcome_.notes.end());
    if (ran_ && !outcome_.Completed()) {
        status_ =
            EndedMergeStatus(outcome_, session_.LastRun(), session_.Set().TrackCount(), held_);
        return;
    }
    status_ = MergeSummary(outcome_, session_.LastRun(), false);
    if (!outcome_.Completed())
        return;
    // The set is merged: the list shows where it went, and the set stays chosen, to be
    // merged again.
    outputFolders_ = MergedFolders(session_.LastRun(), true);
    folders_ = MergedFolders(session_.LastRun(), false);
    caption_ = "Output folders";
    ReadSet();
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
