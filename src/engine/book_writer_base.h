// What the writers of a book as one file share: the merge's run, front end and file
// system they hold, the temporary file they discard when they go before naming it, the
// beginning of a merge (one output folder, the tracks in order), the chapters' titles
// and the outcome. Track is the writer's own record of a track, a path and a title.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/book_writer.h"
#include "engine/output_folder.h"
#include "engine/output_writer.h"
#include "engine/plan_resolution.h"
#include "engine/temporary_file.h"

namespace brambex {

template <class Track>
class BookWriterBase : public OutputWriter {
  public:
    explicit BookWriterBase(const WriterContext& context)
        : run_(context.run),
          ui_(context.ui),
          files_(context.files),
          set_(context.set),
          dryRun_(context.dryRun),
          partialName_(TemporaryFileName()) {}
    ~BookWriterBase() override {
        if (!writing_.empty())
            DiscardTemporaryFile(files_, writing_);
    }
    BookWriterBase(const BookWriterBase&) = delete;
    BookWriterBase& operator=(const BookWriterBase&) = delete;

    MergeOutcome Begin(const MergePlan& plan) override {
        plan_ = &plan;
        if (plan.folders.empty()) {
            ShowNothingMerged(ui_);
            return Ended(MergeOutcome::Kind::Stopped);
        }
        // A book is whole or not there: two tracks with one number stop it before anything.
        if (plan.stop) {
            at_ = plan.stop->at;
            ui_.ShowMessage(plan.stop->text, plan.stop->caption, plan.stop->style);
            return Ended(MergeOutcome::Kind::Stopped);
        }
        run_.folderNumber = 1;
        NameOutputFolder(run_);
        if (dryRun_)
            dryRun_->OutputFolder(run_.currentFolder, plan.folders.front().discFolder,
                                  plan.folders.front().pictures);
        for (const PlannedTrack& track : plan.tracks)
            tracks_.push_back({run_.PathInSet(track.inputPath), {}});
        return {MergeOutcome::Kind::Completed, set_.DiscCount(), 0};
    }

  protected:
    // Each track's chapter title from the plan and its own title; false after the
    // pattern's error was shown.
    bool NameChapters(const std::vector<std::optional<std::string>>& ownTitles) {
        for (std::size_t i = 0; i < tracks_.size(); ++i) {
            std::string error;
            if (!ChapterTitle(ValuesForTrack(*plan_, plan_->tracks[i]), ownTitles[i],
                              tracks_[i].title, error)) {
                ui_.ShowMessage(error, "Error", MessageKind::Error);
                return false;
            }
        }
        return true;
    }
    MergeOutcome Ended(MergeOutcome::Kind kind) {
        progress_.reset();
        MergeOutcome outcome{kind, set_.DiscCount(), placed_};
        if (kind == MergeOutcome::Kind::Stopped)
            outcome.stoppedAt = at_;
        return outcome;
    }
    MergeOutcome EndedEarly() {
        return Ended(cancelled_ ? MergeOutcome::Kind::Cancelled : MergeOutcome::Kind::Stopped);
    }

    MergeRun& run_;
    FrontEnd& ui_;
    platform::FileSystem& files_;
    const DiscSet& set_;
    DryRun* dryRun_;
    const MergePlan* plan_ = nullptr;
    const std::string partialName_;
    std::vector<Track> tracks_;
    std::string writing_;  // the temporary file being written, a path on disk
    platform::FolderLock lock_;
    std::unique_ptr<ProgressWindow> progress_;
    int placed_ = 0;
    bool cancelled_ = false;
    std::string at_;
};

}  // namespace brambex
