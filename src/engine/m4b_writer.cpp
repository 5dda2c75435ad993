// The M4B writer. The encoder's module is loaded as the merge begins: without it the
// merge says why and writes nothing. Every track is decoded once before anything is
// written: a track that does not decode refuses the whole set, naming it, while the
// output folder is still untouched. Then the folder is prepared and the book is encoded
// into a temporary file that takes the book's name once it is whole.
#include "engine/m4b_writer.h"

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/book_file.h"
#include "engine/book_folder.h"
#include "engine/book_writer_base.h"
#include "engine/m4b_encoder.h"
#include "engine/output_folder.h"
#include "engine/plan_resolution.h"
#include "engine/system_reason.h"
#include "engine/temporary_file.h"
#include "tags/genre_table.h"

namespace brambex {

namespace {

using Kind = M4bResult::Kind;

// Progress in steps of a thousandth.
constexpr int ProgressSteps = 1000;

// The genre's name as players show it: a reference "(101)" to the list by its name.
std::string GenreName(const std::string& genre) {
    const GenreText text = ReadGenreText(genre);
    if (text.form == GenreText::Form::Reference || text.form == GenreText::Form::Number) {
        if (const auto name = GenreTable::GenreName(text.number))
            return std::string(*name);
    }
    return genre;
}

// Where the track's own front cover lies; none where it has none or cannot be read.
FrontCover ReadFrontCover(const std::string& path) {
    InputFile in;
    return in.Open(path) ? FindFrontCover(in) : FrontCover{};
}

class M4bWriter : public BookWriterBase<M4bTrack> {
  public:
    explicit M4bWriter(const WriterContext& context)
        : BookWriterBase(context), jobs_(context.jobs) {}

    MergeOutcome Begin(const MergePlan& plan) override;
    MergeOutcome Write(const Cancellation& cancel) override;

  private:
    bool Read(const Cancellation& cancel);
    void ShowBookFile();
    bool Encode(const Cancellation& cancel);
    bool Refused(const M4bResult& result);
    std::string BookPath() const {
        return platform::JoinPath(run_.currentFolder,
                                  BookFileName(plan_->outputFolder, ".m4b", 1, 1));
    }

    int jobs_;
    const M4bModuleFunctions* encoder_ = nullptr;
    M4bBookAudio audio_;
};

MergeOutcome M4bWriter::Begin(const MergePlan& plan) {
    const M4bEncoder encoder = LoadM4bEncoder();
    if (!encoder.functions) {
        at_ = encoder.path;
        ui_.ShowMessage(
            "Could not load the M4B encoder, so no M4B book was written (" + encoder.reason + ")",
            encoder.path, MessageKind::Error);
        return Ended(MergeOutcome::Kind::Stopped);
    }
    encoder_ = encoder.functions;
    return BookWriterBase::Begin(plan);
}

MergeOutcome M4bWriter::Write(const Cancellation& cancel) {
    progress_ = ui_.OpenProgress("Merging \"" + plan_->folders.front().discFolder + "\"", "",
                                 ProgressSteps);
    if (!NameChapters(ReadOwnTitles(files_, *plan_, plan_->tracks.size())) || !Read(cancel))
        return EndedEarly();
    if (dryRun_) {
        ShowBookFile();
        return Ended(MergeOutcome::Kind::Completed);
    }
    if (!PrepareBookFolder(files_, run_, ui_, lock_, *plan_, partialName_)) {
        at_ = run_.currentFolder;
        return Ended(MergeOutcome::Kind::Stopped);
    }
    if (!Encode(cancel))
        return EndedEarly();
    if (!MarkMergeFinished(files_, run_, ui_, {run_.currentFolder})) {
        at_ = run_.currentFolder;
        return Ended(MergeOutcome::Kind::Stopped);
    }
    return Ended(MergeOutcome::Kind::Completed);
}

// The first reading: every track decoded and counted, before anything is written.
bool M4bWriter::Read(const Cancellation& cancel) {
    if (progress_)
        progress_->SetMessage("Reading the tracks");
    const auto progress = [&](std::uint64_t done, std::uint64_t total) {
        if (progress_)
            progress_->SetMessage("Reading the tracks: " + std::to_string(done) + " of " +
                                  std::to_string(total));
        return !cancel.Requested();
    };
    return Refused(encoder_->readTracks(tracks_, jobs_, progress, audio_));
}

// The file the merge would write, with its chapters' titles and times.
void M4bWriter::ShowBookFile() {
    PlannedBookFile file{BookPath(), {}};
    std::uint64_t start = 0;
    for (std::size_t i = 0; i < tracks_.size(); ++i) {
        const auto startMs = static_cast<std::uint32_t>(
            start * 1000 / static_cast<std::uint64_t>(std::max(audio_.sampleRate, 1)));
        file.chapters.push_back({tracks_[i].title, startMs, plan_->tracks[i].inputPath});
        start += audio_.trackSamples[i];
    }
    dryRun_->BookFile(file);
    placed_ = static_cast<int>(tracks_.size());
}

bool M4bWriter::Encode(const Cancellation& cancel) {
    const std::string outputPath = BookPath();
    writing_ = run_.PathInSet(platform::JoinPath(run_.currentFolder, partialName_));
    ui_.WritingTemporaryFile(writing_);
    if (progress_)
        progress_->SetMessage("Writing \"" + outputPath + "\"");
    const auto out = std::make_unique<OutputFile>();
    if (!CreateTemporaryFile(files_, *out, writing_)) {
        at_ = outputPath;
        ui_.ShowMessage(WithReason("Could not open output file", out->Error()), outputPath,
                        MessageKind::Notice);
        return false;
    }
    // The time left is reckoned from the audio's time encoded, as from bytes copied.
    const auto progress = [&](std::uint64_t done, std::uint64_t total) {
        if (progress_ && total > 0) {
            progress_->SetProgress(static_cast<int>(done * ProgressSteps / total));
            progress_->SetBytes(static_cast<std::int64_t>(done), static_cast<std::int64_t>(total));
        }
        return !cancel.Requested();
    };
    const MergeChoices& choices = plan_->choices;
    const std::string& first = tracks_.front().path;
    const ChosenCover cover = ChooseBookCover(run_, *plan_, first, ReadFrontCover(first));
    const M4bBookTexts texts{choices.title,
                             choices.artist,
                             GenreName(choices.genre),
                             ReadTrackYear(first),
                             {},
                             cover.path,
                             cover.offset,
                             cover.size};
    const int jobs =
        jobs_ > 0 ? jobs_ : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    M4bResult written =
        encoder_->writeBook(tracks_, audio_, texts, {choices.bitrateKbps, choices.mono, jobs},
                            writing_, *out, progress);
    if (!out->Close() && written.kind == Kind::Written)
        written = {Kind::WriteFailed, 0, {}, out->Error(), 0};
    platform::Status named;
    if (written.kind == Kind::Written)
        named = NameCompletedFile(files_, writing_, run_.PathInSet(outputPath));
    else
        DiscardTemporaryFile(files_, writing_);
    writing_.clear();
    ui_.WritingTemporaryFile({});
    if (!Refused(written))
        return false;
    if (!named) {
        at_ = outputPath;
        ui_.ShowMessage(WithReason("Could not open output file", named.error), outputPath,
                        MessageKind::Notice);
        return false;
    }
    placed_ = static_cast<int>(tracks_.size());
    return true;
}

// Tells why the book cannot be written; false. True when it was.
bool M4bWriter::Refused(const M4bResult& result) {
    const std::string track =
        result.track < plan_->tracks.size() ? plan_->tracks[result.track].inputPath : "";
    const std::string outputPath = BookPath();
    at_ = outputPath;
    switch (result.kind) {
        case Kind::Written:
            return true;
        case Kind::Stopped:
            cancelled_ = true;
            ui_.ShowMessage("Merge cancelled.", "", MessageKind::Information);
            break;
        case Kind::Undecodable:
            at_ = track;
            ui_.ShowMessage("The track does not decode as audio, so no M4B book was written (" +
                                result.detail + ")",
                            track, MessageKind::Error);
            break;
        case Kind::CoverUnreadable:
            ui_.ShowMessage(WithReason("Could not read the cover picture", result.error),
                            outputPath, MessageKind::Notice);
            break;
        case Kind::EncodeFailed:
            ui_.ShowMessage("The AAC encoder cannot encode the book: " + result.detail + ".",
                            outputPath, MessageKind::Error);
            break;
        case Kind::WriteFailed:
            ui_.ShowMessage(WithReason("Could not write output file", result.error), outputPath,
                            MessageKind::Notice);
            break;
    }
    return false;
}

}  // namespace

std::unique_ptr<OutputWriter> MakeM4bWriter(const WriterContext& context) {
    return std::make_unique<M4bWriter>(context);
}

}  // namespace brambex
