// The folder-of-tracks writer's class, shared by the two files that implement it:
// folder_writer.cpp walks the plan's output folders and discs, folder_writer_tracks.cpp
// keeps the tracks in flight (started on the pipeline, named in order, abandoned
// together). Nothing outside the writer includes it; others make one through
// MakeFolderWriter.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/disc_set.h"
#include "engine/output_writer.h"
#include "engine/temporary_file.h"
#include "engine/track_copy.h"
#include "engine/track_pipeline.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "tags/diagnostic.h"

namespace brambex {

// Names the track being read, in the merge's `reading`, for as long as it lives.
class ReadingTrack {
  public:
    ReadingTrack(std::string& reading, const std::string& inputPath)
        : reading_(reading), saved_(std::move(reading)) {
        reading_ = inputPath;
    }
    ~ReadingTrack() { reading_ = std::move(saved_); }
    ReadingTrack(const ReadingTrack&) = delete;
    ReadingTrack& operator=(const ReadingTrack&) = delete;

  private:
    std::string& reading_;
    std::string saved_;
};

// A track being written: its names (inputPath and outputPath relative to the set's
// folder, as messages name them), its values and, once written, the result.
struct StartedTrack {
    // Not defaulted: make_unique would then clear the whole record before constructing
    // it, the output's 64 KiB gather buffer with it.
    StartedTrack() {}
    std::string inputPath;
    std::string outputPath;
    std::string partialPath;
    int slot = 0;
    int progress = 0;  // the progress bar's value once it is done
    TrackValues values;
    InputFile in;
    OutputFile out;
    TrackCopyResult result;
};

class FolderWriter : public OutputWriter {
  public:
    explicit FolderWriter(const WriterContext& context)
        : run_(context.run),
          ui_(context.ui),
          files_(context.files),
          set_(context.set),
          dryRun_(context.dryRun),
          partialName_(TemporaryFileName()),
          pipeline_(context.jobs > 0 ? context.jobs : DefaultJobs()) {}
    ~FolderWriter() override { AbandonStarted(); }
    FolderWriter(const FolderWriter&) = delete;
    FolderWriter& operator=(const FolderWriter&) = delete;

    MergeOutcome Begin(const MergePlan& plan) override;
    MergeOutcome Write(const Cancellation& cancel) override;

  private:
    bool MergeDisc(std::size_t disc, std::size_t& next, const Cancellation& cancel);
    bool OpenOutputFolder(const PlannedFolder& folder);
    void ShowProgressFor(const std::string& folder, int track);
    bool CopyTrack(const PlannedTrack& track, const std::string& outputPath);
    // The dry run's step that reads the track's tag for the frames it would get.
    bool ResolveTrack(const PlannedTrack& track, const std::string& outputPath);
    // Names the oldest started track, or tells why it failed; false when the merge must
    // stop, and then nothing started after it is kept.
    bool FinishOldest();
    bool FinishStarted();
    // Waits for the started tracks and removes their temporary files.
    void AbandonStarted();
    std::string PartialNameForSlot(int slot) const;
    void CountTag(TagKind kind);

    bool Fail(std::string_view text, const std::string& caption,
              MessageKind style = MessageKind::Notice) {
        ui_.ShowMessage(text, caption, style);
        return false;
    }
    bool DiscFolderLost(const std::string& folder, int disc, std::error_code error) {
        at_ = folder;
        ui_.ShowMessage(UnreadableDiscFolder(disc, folder, error), "Error", MessageKind::Error);
        return false;
    }
    bool Stop(const SetFinding& finding) {
        at_ = finding.at;
        ui_.ShowMessage(finding.text, finding.caption, finding.style);
        return false;
    }
    // The tracks the check found can be gone by now; a merge of nothing is no success.
    MergeOutcome NothingMerged() {
        ShowNothingMerged(ui_);
        return Ended(MergeOutcome::Kind::Stopped);
    }
    MergeOutcome Ended(MergeOutcome::Kind kind) {
        // The front end keeps the window up for its minimum time when it is closed.
        progress_.reset();
        MergeOutcome outcome{kind, set_.DiscCount(), placed_};
        if (kind == MergeOutcome::Kind::Stopped)
            outcome.stoppedAt = at_;
        outcome.notes = std::move(notes_);
        return outcome;
    }
    std::int64_t bytesDone_ = 0;

    MergeRun& run_;
    FrontEnd& ui_;
    platform::FileSystem& files_;
    const DiscSet& set_;
    DryRun* dryRun_;
    const MergePlan* plan_ = nullptr;
    const std::string partialName_;
    std::size_t folder_ = 0;  // the output folder being filled, once there is one
    bool cancelled_ = false;
    int placed_ = 0;  // tracks copied (or planned) so far
    std::string at_;  // the track or folder being worked on, for a stopped merge
    std::vector<std::string> notes_;
    std::unique_ptr<ProgressWindow> progress_;
    // The track whose bytes the codec reads now (the first one also while the settings
    // are prepared from it): the file its diagnostic lines are about.
    std::string reading_;
    // The codec's lines on the merge's thread go to the front end, naming the track.
    // While tracks are copied, the lines are noted with their track for the outcome too.
    class Diagnostics : public DiagnosticSink {
      public:
        explicit Diagnostics(FolderWriter& writer) : writer_(writer) {}
        void Line(std::string_view line) override {
            writer_.ui_.ShowDiagnostic(line, writer_.reading_);
            if (writer_.noting_)
                writer_.heldNotes_[writer_.reading_].emplace_back(line);
        }

      private:
        FolderWriter& writer_;
    };
    Diagnostics diagnostics_{*this};
    bool noting_ = false;
    std::map<std::string, std::vector<std::string>> heldNotes_;
    // Every output folder of this merge stays locked against other merges until the
    // merge ends.
    std::vector<platform::FolderLock> locks_;
    // The output folders this merge has marked unfinished, in order.
    std::vector<std::string> outputFolders_;
    // Tracks are written up to pipeline_.Jobs() at a time, and started up to
    // pipeline_.Slots() at a time, each into the temporary file of its slot; they are
    // named in the order they were started.
    TrackPipeline pipeline_;
    std::deque<std::unique_ptr<StartedTrack>> started_;
    int startedCount_ = 0;
};

}  // namespace brambex
