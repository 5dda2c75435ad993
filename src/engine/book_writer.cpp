// The book writer. Nothing is written before every track has been read once (its tag
// and how its audio starts): a track that cannot be joined (another sample rate, no
// audio) refuses the whole set while the output folder is still untouched. Then the
// folder is prepared and each part is written under a temporary name that takes the
// part's name once the part is whole; its frames are counted while it is copied.
#include "engine/book_writer.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/book_file.h"
#include "engine/book_folder.h"
#include "engine/book_writer_base.h"
#include "engine/format.h"
#include "engine/output_folder.h"
#include "engine/system_reason.h"
#include "engine/temporary_file.h"
#include "tags/book_audio.h"

namespace brambex {

bool ChapterTitle(const TrackValues& values, const std::optional<std::string>& ownTitle,
                  std::string& title, std::string& error) {
    if (!NewTrackTitle(values, ownTitle, title, error))
        return false;
    if (values.choices.keepTrackNames && ownTitle)
        title = *ownTitle;
    return true;
}

namespace {

using Kind = BookFileResult::Kind;

class BookWriter : public BookWriterBase<BookTrack> {
  public:
    using BookWriterBase::BookWriterBase;

    MergeOutcome Write(const Cancellation& cancel) override;

  private:
    bool Scan(const Cancellation& cancel);
    void ShowBookFiles();
    bool WritePart(std::size_t part, const Cancellation& cancel);
    bool Refused(const BookFileResult& result, const std::string& outputPath);
    std::string PartPath(std::size_t part) const;
    std::size_t PartEnd(std::size_t part) const {
        return part + 1 < starts_.size() ? starts_[part + 1] : tracks_.size();
    }

    ScannedBook scanned_;
    BookFileTexts texts_;
    std::vector<std::size_t> starts_;  // each part's first track
    std::uint64_t bytesDone_ = 0;
    std::uint64_t bytesTotal_ = 0;
};

MergeOutcome BookWriter::Write(const Cancellation& cancel) {
    progress_ = ui_.OpenProgress("Merging \"" + plan_->folders.front().discFolder + "\"", "",
                                 2 * static_cast<int>(tracks_.size()));
    if (!Scan(cancel) || !NameChapters(scanned_.ownTitles))
        return EndedEarly();
    texts_.title = plan_->choices.title;
    texts_.artist = plan_->choices.artist;
    texts_.genre = plan_->choices.genre;
    texts_.year = scanned_.year;
    ChosenCover cover = ChooseBookCover(run_, *plan_, tracks_.front().path, scanned_.cover);
    texts_.coverPath = std::move(cover.path);
    texts_.coverMimeType = std::move(cover.mimeType);
    texts_.coverOffset = cover.offset;
    texts_.coverSize = cover.size;
    if (const BookFileResult parts = PlanBookParts(tracks_, scanned_, texts_, starts_);
        parts.kind != Kind::Written) {
        Refused(parts, PartPath(0));
        return Ended(MergeOutcome::Kind::Stopped);
    }
    if (dryRun_) {
        ShowBookFiles();
        return Ended(MergeOutcome::Kind::Completed);
    }
    if (!PrepareBookFolder(files_, run_, ui_, lock_, *plan_, partialName_)) {
        at_ = run_.currentFolder;
        return Ended(MergeOutcome::Kind::Stopped);
    }
    for (std::size_t i = 0; i < scanned_.audio.size(); ++i)
        bytesTotal_ += scanned_.AudioBytes(i);
    for (std::size_t part = 0; part < starts_.size(); ++part) {
        if (!WritePart(part, cancel))
            return EndedEarly();
    }
    if (!MarkMergeFinished(files_, run_, ui_, {run_.currentFolder})) {
        at_ = run_.currentFolder;
        return Ended(MergeOutcome::Kind::Stopped);
    }
    return Ended(MergeOutcome::Kind::Completed);
}

// The first reading of every track, before anything is written.
bool BookWriter::Scan(const Cancellation& cancel) {
    const auto keepGoing = [&](std::size_t i) {
        if (cancel.Requested())
            return false;
        const PlannedTrack& track = plan_->tracks[i];
        if (progress_) {
            progress_->SetMessage(
                Format("Reading track %2d from \"%s\"", track.track,
                       set_.discs[static_cast<std::size_t>(track.disc) - 1].name.c_str()));
            progress_->SetProgress(static_cast<int>(i));
        }
        return true;
    };
    // A dry run shows the chapters' times, which need every frame counted.
    const BookFileResult scanned = ScanBookTracks(tracks_, scanned_, keepGoing, dryRun_ != nullptr);
    if (scanned.kind == Kind::Written)
        return true;
    return Refused(scanned, PartPath(0));
}

std::string BookWriter::PartPath(std::size_t part) const {
    const int parts = std::max(1, static_cast<int>(starts_.size()));
    return platform::JoinPath(run_.currentFolder, BookFileName(plan_->outputFolder, ".mp3",
                                                               static_cast<int>(part) + 1, parts));
}

// Each file the merge would write, with its chapters' titles and times.
void BookWriter::ShowBookFiles() {
    for (std::size_t part = 0; part < starts_.size(); ++part) {
        const std::span<const TrackAudio> audio(scanned_.audio.data() + starts_[part],
                                                PartEnd(part) - starts_[part]);
        const std::vector<std::uint32_t> startsMs = TrackStartsMs(JoinTrackAudio(audio), audio);
        PlannedBookFile file{PartPath(part), {}};
        for (std::size_t i = starts_[part]; i < PartEnd(part); ++i)
            file.chapters.push_back(
                {tracks_[i].title, startsMs[i - starts_[part]], plan_->tracks[i].inputPath});
        dryRun_->BookFile(file);
    }
    placed_ = static_cast<int>(tracks_.size());
}

bool BookWriter::WritePart(std::size_t part, const Cancellation& cancel) {
    const std::string outputPath = PartPath(part);
    writing_ = run_.PathInSet(platform::JoinPath(run_.currentFolder, partialName_));
    ui_.WritingTrackFile(0, writing_);
    if (progress_)
        progress_->SetMessage("Writing \"" + outputPath + "\"");
    const auto out = std::make_unique<OutputFile>();
    if (!CreateTemporaryFile(files_, *out, writing_)) {
        writing_.clear();
        ui_.WritingTrackFile(0, {});
        at_ = outputPath;
        ui_.ShowMessage(WithReason("Could not open output file", out->Error()), outputPath,
                        MessageKind::Notice);
        return false;
    }
    const std::uint64_t before = bytesDone_;
    const int count = static_cast<int>(tracks_.size());
    const auto progress = [&](std::uint64_t done, std::uint64_t) {
        bytesDone_ = before + done;
        if (progress_ && bytesTotal_ > 0) {
            progress_->SetProgress(
                count +
                static_cast<int>(bytesDone_ * static_cast<std::uint64_t>(count) / bytesTotal_));
            progress_->SetBytes(static_cast<std::int64_t>(bytesDone_),
                                static_cast<std::int64_t>(bytesTotal_));
        }
        return !cancel.Requested();
    };
    const std::size_t first = starts_[part], end = PartEnd(part);
    BookFileResult written =
        WriteBookPart(std::span(tracks_).subspan(first, end - first),
                      std::span(scanned_.audio).subspan(first, end - first),
                      std::span<const TrackRange>(scanned_.ranges).subspan(first, end - first),
                      texts_, *out, progress);
    written.track += first;
    if (!out->Close() && written.kind == Kind::Written)
        written = {Kind::WriteFailed, end, {}, out->Error(), 0};
    platform::Status named;
    if (written.kind == Kind::Written)
        named = NameCompletedFile(files_, writing_, run_.PathInSet(outputPath));
    else
        DiscardTemporaryFile(files_, writing_);
    writing_.clear();
    ui_.WritingTrackFile(0, {});
    if (written.kind != Kind::Written)
        return Refused(written, outputPath);
    if (!named) {
        at_ = outputPath;
        ui_.ShowMessage(WithReason("Could not open output file", named.error), outputPath,
                        MessageKind::Notice);
        return false;
    }
    placed_ += static_cast<int>(end - first);
    return true;
}

// Tells why the book cannot be written; false.
bool BookWriter::Refused(const BookFileResult& result, const std::string& outputPath) {
    const std::string track =
        result.track < plan_->tracks.size() ? plan_->tracks[result.track].inputPath : outputPath;
    at_ = track;
    switch (result.kind) {
        case Kind::Written:
            return true;
        case Kind::Stopped:
            cancelled_ = true;
            ui_.ShowMessage("Merge cancelled.", "", MessageKind::Information);
            break;
        case Kind::Unreadable:
            ui_.ShowMessage(WithReason("Could not read input file", result.error), track,
                            MessageKind::Notice);
            break;
        case Kind::NoAudio:
            ui_.ShowMessage("The track holds no MPEG audio: it cannot be joined into one MP3.",
                            track, MessageKind::Error);
            break;
        case Kind::Differs:
            ui_.ShowMessage("The tracks cannot be joined into one MP3 without re-encoding:\n\"" +
                                track + "\" is " + result.detail +
                                ".\nMerge the set as an M4B book (--format m4b), which "
                                "re-encodes it.",
                            "Error", MessageKind::Error);
            break;
        case Kind::TagFailed:
            at_ = outputPath;
            ui_.ShowMessage(
                WithReason("Could not write the book's tag: " + result.detail, result.error),
                outputPath, MessageKind::Notice);
            break;
        case Kind::Changed:
            ui_.ShowMessage("Could not read input file (it changed while the book was written)",
                            track, MessageKind::Notice);
            break;
        case Kind::WriteFailed:
            at_ = outputPath;
            ui_.ShowMessage(WithReason("Could not write output file", result.error), outputPath,
                            MessageKind::Notice);
            break;
    }
    return false;
}

}  // namespace

std::unique_ptr<OutputWriter> MakeBookWriter(const WriterContext& context) {
    return std::make_unique<BookWriter>(context);
}

}  // namespace brambex
