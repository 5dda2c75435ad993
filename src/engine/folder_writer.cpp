// The folder-of-tracks writer: copies every planned track into its output folder
// under its new name with rewritten ID3v2.3 frames and ID3v1 trailer, up to the
// pipeline's jobs at a time, each into a temporary file that takes its name once it
// is whole. A dry run walks the same plan and hands each folder and track, with the
// frames its tag would get, to the DryRun instead. This file walks the plan's output
// folders and discs; folder_writer_tracks.cpp keeps the tracks in flight.
#include "engine/folder_writer.h"

#include <memory>
#include <string>

#include "engine/cover_art.h"
#include "engine/folder_writer_class.h"
#include "engine/format.h"
#include "engine/output_folder.h"
#include "engine/plan_resolution.h"

namespace brambex {

using platform::JoinPath;

MergeOutcome FolderWriter::Begin(const MergePlan& plan) {
    plan_ = &plan;
    if (plan.folders.empty())
        return NothingMerged();
    if (!OpenOutputFolder(plan.folders.front()))
        return Ended(MergeOutcome::Kind::Stopped);
    return {MergeOutcome::Kind::Completed, set_.DiscCount(), 0};
}

MergeOutcome FolderWriter::Write(const Cancellation& cancel) {
    noting_ = true;
    std::size_t next = 0;
    for (std::size_t disc = 0; disc < set_.discs.size(); ++disc) {
        if (!MergeDisc(disc, next, cancel))
            return Ended(cancelled_ ? MergeOutcome::Kind::Cancelled : MergeOutcome::Kind::Stopped);
    }
    // The tracks the check found can be gone by now; a merge of nothing is no success.
    if (placed_ == 0)
        return NothingMerged();
    if (!dryRun_ && !MarkMergeFinished(files_, run_, ui_, outputFolders_)) {
        at_ = outputFolders_.front();
        return Ended(MergeOutcome::Kind::Stopped);
    }
    return Ended(MergeOutcome::Kind::Completed);
}

// The planned tracks of one disc, from `next` on.
bool FolderWriter::MergeDisc(std::size_t disc, std::size_t& next, const Cancellation& cancel) {
    const auto cancelled = [&] {
        // The tracks being written when the cancel came are finished first.
        if (!FinishStarted())
            return false;
        ui_.ShowMessage("Merge cancelled.", "", MessageKind::Information);
        cancelled_ = true;
        return false;
    };
    const std::string& folder = set_.discs[disc].name;
    const int number = static_cast<int>(disc) + 1;
    // A folder renamed or removed since the check is no disc without tracks.
    if (const platform::Status there = files_.IsFolder(run_.PathInSet(folder)); !there)
        return DiscFolderLost(folder, number, there.error);
    for (; next < plan_->tracks.size() && plan_->tracks[next].disc == number; ++next) {
        if (cancel.Requested())
            return cancelled();
        const PlannedTrack& track = plan_->tracks[next];
        ReadingTrack reading(reading_, track.inputPath);
        at_ = track.inputPath;
        // A new output folder is begun once the tracks of the one before are all there.
        if (track.folder != folder_ &&
            (!FinishStarted() || !OpenOutputFolder(plan_->folders[track.folder])))
            return false;
        folder_ = track.folder;
        ShowProgressFor(folder, track.track);
        run_.runningNumber = track.runningNumber;
        // The folder's name on disk, which may be spelt otherwise than the plan's.
        const std::string outputPath = JoinPath(run_.currentFolder, track.fileName);
        if (dryRun_ ? !ResolveTrack(track, outputPath) : !CopyTrack(track, outputPath))
            return false;
    }
    if (!FinishStarted())
        return false;
    // Two tracks with one number stop the merge where the plan ends.
    if (plan_->stop && next == plan_->tracks.size() && plan_->stopDisc == number)
        return Stop(*plan_->stop);
    // A cancel that came with the disc's last track stops the merge before the next disc,
    // as it would before any further track.
    if (cancel.Requested())
        return cancelled();
    return true;
}

bool FolderWriter::OpenOutputFolder(const PlannedFolder& folder) {
    ++run_.folderNumber;
    if (dryRun_) {
        // The names the folder's preparation would give, without touching the disk.
        NameOutputFolder(run_);
        dryRun_->OutputFolder(run_.currentFolder, folder.discFolder, folder.pictures);
        return true;
    }
    if (!PrepareOutputFolder(files_, run_, ui_, &locks_.emplace_back())) {
        at_ = run_.currentFolder;
        return false;
    }
    outputFolders_.push_back(run_.currentFolder);
    CopyCoverArt(files_, run_, ui_, folder.discFolder, folder.pictures, partialName_);
    return true;
}

void FolderWriter::ShowProgressFor(const std::string& folder, int track) {
    std::string caption = "Merging \"" + folder + "\"";
    if (!progress_) {
        progress_ = ui_.OpenProgress(caption, "", set_.TrackCount());
    } else if (track == 1) {
        progress_->SetTitle(caption);
    }
    if (progress_)
        progress_->SetMessage(Format("Merging track %2d from \"%s\"", track, folder.c_str()));
}

bool FolderWriter::ResolveTrack(const PlannedTrack& track, const std::string& outputPath) {
    PlannedTrack planned = track;
    planned.outputPath = outputPath;
    const TrackResolution resolved =
        ResolvePlannedTrack(files_, *plan_, planned, run_.PathInSet(track.inputPath), diagnostics_);
    if (!resolved.failure.empty())
        return Fail(resolved.failure, resolved.caption, resolved.style);
    CountTag(resolved.kind);
    dryRun_->Track(planned);
    ++placed_;
    if (progress_)
        progress_->SetProgress((run_.folderNumber - 1) * MaxTracksPerFolder + run_.runningNumber);
    return true;
}

std::unique_ptr<OutputWriter> MakeFolderWriter(const WriterContext& context) {
    return std::make_unique<FolderWriter>(context);
}

}  // namespace brambex
