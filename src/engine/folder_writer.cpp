// The folder-of-tracks writer: copies every planned track into its output folder
// under its new name with rewritten ID3v2.3 frames and ID3v1 trailer, up to the
// pipeline's jobs at a time, each into a temporary file that takes its name once it
// is whole. A dry run walks the same plan and hands each folder and track, with the
// frames its tag would get, to the DryRun instead.
#include "engine/folder_writer.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <map>
#include <memory>
#include <utility>

#include "engine/cover_art.h"
#include "engine/disc_set.h"
#include "engine/format.h"
#include "engine/output_folder.h"
#include "engine/plan_resolution.h"
#include "engine/system_reason.h"
#include "engine/temporary_file.h"
#include "engine/track_copy.h"
#include "engine/track_notes.h"
#include "engine/track_pipeline.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "tags/diagnostic.h"
#include "tags/mp3.h"

namespace brambex {

namespace {

using platform::JoinPath;

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

bool FolderWriter::CopyTrack(const PlannedTrack& track, const std::string& outputPath) {
    auto started = std::make_unique<StartedTrack>();
    StartedTrack& t = *started;
    t.inputPath = track.inputPath;
    t.outputPath = outputPath;
    t.slot = startedCount_++ % pipeline_.Slots();
    t.partialPath = run_.PathInSet(JoinPath(run_.currentFolder, PartialNameForSlot(t.slot)));
    t.progress = (run_.folderNumber - 1) * MaxTracksPerFolder + run_.runningNumber;
    t.values = ValuesForTrack(*plan_, track);
    started_.push_back(std::move(started));
    // The files are opened here, so that names are made on this thread alone; a track
    // that cannot be opened is told in its turn.
    bool opened = OpenTrackInput(files_, run_.PathInSet(t.inputPath), t.inputPath, t.in, t.result);
    if (opened) {
        ui_.WritingTrackFile(t.slot, t.partialPath);
        opened = CreateTrackFile(files_, t.partialPath, t.outputPath, t.out, t.result);
    }
    // One at a time, the codec's lines appear while the track is written, as they
    // always did; tracks written at the same time keep theirs until their turn.
    DiagnosticSink* const diagnostics = pipeline_.Jobs() > 1 ? nullptr : &diagnostics_;
    pipeline_.Start([&files = files_, &t, opened, diagnostics] {
        if (opened)
            t.result = RewriteTrackFile(files, t.in, t.out, t.inputPath, t.partialPath,
                                        t.outputPath, t.values, diagnostics);
    });
    return !pipeline_.Full() || FinishOldest();
}

bool FolderWriter::FinishOldest() {
    pipeline_.TakeOldest();
    const std::unique_ptr<StartedTrack> t = std::move(started_.front());
    started_.pop_front();
    {
        // The codec's lines about the track, where a one-at-a-time merge shows them.
        ReadingTrack reading(reading_, t->inputPath);
        for (const std::string& line : t->result.diagnostics)
            diagnostics_.Line(line);
    }
    if (t->result.tagRead)
        CountTag(t->result.kind);
    if (std::optional<std::string> note = TrackNote(t->inputPath, t->result, heldNotes_))
        notes_.push_back(std::move(*note));
    platform::Status named;
    // The finished track takes its name only now, so a track's name never shows a
    // half-written file.
    if (t->result.written)
        named = NameCompletedFile(files_, t->partialPath, run_.PathInSet(t->outputPath));
    ui_.WritingTrackFile(t->slot, {});
    if (!t->result.written || !named) {
        at_ = t->inputPath;
        // The merge stops at this track, as if no later one had been started; the user
        // is told once the folder holds no temporary file of this merge.
        run_.runningNumber = t->values.runningNumber;
        AbandonStarted();
        if (!t->result.written)
            ui_.ShowMessage(t->result.message, t->result.caption, t->result.style);
        else
            Fail(WithReason("Could not open output file", named.error), t->outputPath);
        return false;
    }
    ++placed_;
    bytesDone_ += std::max<std::int64_t>(t->result.inputSize, 0);
    if (progress_) {
        progress_->SetProgress(t->progress);
        progress_->SetBytes(bytesDone_, set_.ByteCount());
    }
    return true;
}

bool FolderWriter::FinishStarted() {
    while (!started_.empty()) {
        if (!FinishOldest())
            return false;
    }
    return true;
}

void FolderWriter::AbandonStarted() {
    while (!started_.empty()) {
        pipeline_.TakeOldest();
        const std::unique_ptr<StartedTrack> t = std::move(started_.front());
        started_.pop_front();
        if (t->result.written)
            files_.DeleteFile(t->partialPath);
        ui_.WritingTrackFile(t->slot, {});
    }
}

// Slot 0 has the run's own name, which its pictures use too; each further slot the same
// with its number.
std::string FolderWriter::PartialNameForSlot(int slot) const {
    if (slot == 0)
        return partialName_;
    const std::size_t ending = partialName_.size() - PartialFileEnding.size();
    return partialName_.substr(0, ending) + "-" + std::to_string(slot) +
           partialName_.substr(ending);
}

void FolderWriter::CountTag(TagKind kind) {
    run_.convertedTags += kind == TagKind::V22 || kind == TagKind::V24 ? 1 : 0;
    run_.newTags += kind == TagKind::None || kind == TagKind::Broken ? 1 : 0;
}

}  // namespace

std::unique_ptr<OutputWriter> MakeFolderWriter(const WriterContext& context) {
    return std::make_unique<FolderWriter>(context);
}

}  // namespace brambex
