// The folder writer's tracks in flight: each planned track is opened on the merge's
// thread, written on the pipeline into the temporary file of its slot, and named in
// the order it was started; a track that fails stops the merge, and no track started
// after it is kept.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "engine/folder_writer_class.h"
#include "engine/output_folder.h"
#include "engine/system_reason.h"
#include "engine/temporary_file.h"
#include "engine/track_notes.h"

namespace brambex {

using platform::JoinPath;

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

}  // namespace brambex
