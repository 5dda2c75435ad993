// The pass as a whole: each stage in turn, with the record the one before filled. The
// output tag keeps the input tag's size while every frame fits, so the audio starts at
// the same offset; otherwise it grows to hold them all, and the audio keeps its offset
// within a block of the output's file system. Also the pass's report of the
// streams' failures, and the trailer's edits.
#include "tags/mp3.h"

#include <algorithm>
#include <cstring>

#include "tags/diagnostic.h"
#include "tags/genre_table.h"

namespace brambex {

namespace {

class NoEdits : public TagEditor {
  public:
    bool Edit(const MP3&, TagEdits&) override { return true; }
};

}  // namespace

MP3::MP3(DiagnosticSink& diagnostics) : report_(diagnostics) {}

bool MP3::Read(InputFile& in) {
    NoEdits none;
    return Rewrite(in, nullptr, none);
}

std::string_view MP3::InputText(TagField field) const {
    return read_.FieldText(static_cast<int>(field));
}

bool MP3::HasInputFrame(TagField field) const {
    return read_.fieldCount[static_cast<int>(field)] > 0;
}

std::string MP3::InputYear() const {
    if (read_.year[0] != '\0')
        return read_.year;
    return tail_.hadTrailer ? tail_.trailer.Year() : std::string();
}

PassLayout MP3::Layout() const {
    return {output_.size,   output_.grew,      read_.leftOut,    tags_.HasSecond(), tail_.inputSize,
            tail_.audioEnd, tail_.ape.Found(), tail_.hadTrailer, tags_.audioStart};
}

bool MP3::Rewrite(InputFile& in, OutputFile* out, TagEditor& editor) {
    // A new pass: nothing of an earlier one on this object counts.
    report_.Restart();
    read_.Reset();
    output_ = {};
    tail_.inputSize = tail_.audioEnd = -1;
    tail_.hadTrailer = false;
    tail_.trailer.Reset();
    walk_.Forget();
    ReadInputTags(in, tags_, report_);
    if (report_.Failed()) {
        return false;
    }
    if (tags_.Walkable()) {
        FindSecondTag(in, tags_, report_);
        MeasureTag(in, tags_, walk_, read_, report_);
    }
    if (report_.Failed()) {
        return false;
    }
    TagEdits edits;
    const std::uint32_t blockSize =
        out != nullptr ? out->BlockSize() : platform::native_file::DefaultBlockSize;
    if (!editor.Edit(*this, edits) ||
        !SizeOutputTag(tags_, read_, edits, blockSize, output_, report_)) {
        return false;
    }
    if (out != nullptr) {
        unsigned char header[TagHeader::Size];
        TagHeader::WriteV23(header, output_.size);
        out->Write(header, sizeof header);
        report_.CheckStreams(nullptr, out);
    }
    const std::uint64_t written = WriteTag(in, out, tags_, read_, edits, walk_, editor, report_);
    if (written != output_.framesSize) {
        // The input changed between the two walks.
        report_.ShortInput(in, out);
    }
    WritePadding(out, written);
    const bool copied = CopyAudio(in, out, tags_, edits, tail_, report_);
    FinishTrailer(read_, edits, tail_);
    if (out != nullptr) {
        out->Write(tail_.trailer.Bytes(), Trailer::Size);
        report_.CheckStreams(nullptr, out);
    }
    return copied && !report_.Failed();
}

// The zero bytes after the frames, up to the size the header gives.
void MP3::WritePadding(OutputFile* out, std::uint64_t written) {
    if (out == nullptr) {
        return;
    }
    static constexpr unsigned char Zeros[1024] = {};
    for (std::uint64_t left = output_.size - std::min<std::uint64_t>(written, output_.size);
         left > 0;) {
        const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof Zeros));
        out->Write(Zeros, k);
        report_.CheckStreams(nullptr, out);
        left -= k;
    }
}

void FinishTrailer(const TagAsRead& read, const TagEdits& edits, AudioTail& tail) {
    if (!edits.editTrailer) {
        return;
    }
    std::optional<std::string_view> title = edits.trailerTitle;
    int genre = edits.trailerGenre;
    const int titleField = static_cast<int>(TagField::Title);
    const int genreField = static_cast<int>(TagField::Genre);
    if (!tail.hadTrailer) {
        // A fresh trailer takes what the track keeps of its own from its ID3v2 tag.
        if (!title && read.fieldCount[titleField] > 0) {
            title = read.FieldText(titleField);
        }
        if (genre == -1 && read.fieldCount[genreField] > 0) {
            // "(12)", "(12)Other", "12" or a name of the list.
            genre = ReadGenreText(read.FieldText(genreField)).number;
        }
        tail.trailer.SetYear(read.year);
    }
    tail.trailer.Set(title, edits.trailerArtist, edits.trailerAlbum, edits.trailerTrack, genre);
}

DiagnosticSink& PassReport::Redirect(DiagnosticSink& sink) {
    DiagnosticSink& before = *sink_;
    sink_ = &sink;
    return before;
}

void PassReport::Restart() {
    failed_ = readReported_ = writeReported_ = false;
}

void PassReport::CheckStreams(const InputFile* in, const OutputFile* out) {
    if (in != nullptr && in->Error()) {
        failed_ = true;
        if (!readReported_) {
            readReported_ = true;
            WriteDiagnostic(*sink_, "Cannot read the input: ", in->Error());
        }
    }
    if (out != nullptr && out->Failed()) {
        failed_ = true;
        if (!writeReported_) {
            writeReported_ = true;
            WriteDiagnostic(*sink_, "Cannot write the output: ", out->Error());
        }
    }
}

void PassReport::ShortInput(const InputFile& in, const OutputFile* out) {
    failed_ = true;
    if (!in.Error() && (out == nullptr || !out->Failed()) && !readReported_) {
        readReported_ = true;
        WriteDiagnostic(*sink_, "The input ended early");
    }
    CheckStreams(&in, out);
}

}  // namespace brambex
