// The pass as a whole: the input tag's header, the size of the output tag, the
// trailer's edits and the streams' failures. The output tag keeps the input tag's size
// while every frame fits, so the audio starts at the same offset; otherwise it grows to
// hold them all.
#include "tags/mp3.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tags/byte_order.h"
#include "tags/diagnostic.h"
#include "tags/genre_table.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

class NoEdits : public TagEditor {
  public:
    bool Edit(const MP3&, TagEdits&) override { return true; }
};

}  // namespace

MP3::MP3(DiagnosticSink& diagnostics) : diagnostics_(&diagnostics) {}

bool MP3::Read(InputFile& in) {
    NoEdits none;
    return Rewrite(in, nullptr, none);
}

std::string_view MP3::InputText(TagField field) const {
    const int f = static_cast<int>(field);
    return {fieldText_[f], fieldTextSize_[f]};
}

bool MP3::HasInputFrame(TagField field) const {
    return fieldCount_[static_cast<int>(field)] > 0;
}

bool MP3::Rewrite(InputFile& in, OutputFile* out, TagEditor& editor) {
    ReadTagHeader(in);
    if (failed_) {
        return false;
    }
    if (kind_ != TagKind::None && kind_ != TagKind::Broken) {
        MeasureTag(in);
    }
    if (failed_) {
        return false;
    }
    if (year_[0] == '\0' && dateSeen_) {
        std::memcpy(year_, date_.year, sizeof date_.year);
    }
    TagEdits edits;
    if (!editor.Edit(*this, edits)) {
        return false;
    }
    framesSize_ = keptSize_;
    for (int f = 0; f < TagFieldCount; ++f) {
        framesSize_ += EditedFrameSize(edits, f);
    }
    const bool tagged = kind_ != TagKind::None && kind_ != TagKind::Broken;
    const std::uint64_t room =
        tagged ? static_cast<std::uint64_t>(audioStart_ - tagStart_ - TagHeader::Size) : 0;
    grew_ = tagged && framesSize_ > room;
    // A new tag always gets padding, so that a later edit need not move the audio.
    const std::uint64_t size = tagged && framesSize_ <= room ? room : framesSize_ + Padding;
    if (size > TagHeader::MaxSize) {
        WriteDiagnostic(*diagnostics_, "The ID3 tag would be too large");
        failed_ = true;
        return false;
    }
    outputSize_ = static_cast<std::uint32_t>(size);
    if (out != nullptr) {
        unsigned char header[TagHeader::Size];
        TagHeader::WriteV23(header, outputSize_);
        WriteBytes(out, header, sizeof header);
    }
    written_ = 0;
    WriteTag(in, out, edits, editor);
    if (written_ != framesSize_) {
        // The input changed between the two walks.
        ReportShortInput(in, out);
    }
    static constexpr unsigned char Zeros[1024] = {};
    for (std::uint64_t left = outputSize_ - std::min<std::uint64_t>(written_, outputSize_);
         left > 0 && out != nullptr;) {
        const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof Zeros));
        WriteBytes(out, Zeros, k);
        left -= k;
    }
    const bool copied = CopyAudio(in, out, edits);
    FinishTrailer(edits);
    if (out != nullptr) {
        WriteBytes(out, trailer_.Bytes(), Trailer::Size);
    }
    return copied && !failed_;
}

void MP3::ReadTagHeader(InputFile& in) {
    kind_ = TagKind::None;
    inputSize_ = -1;
    secondStart_ = -1;
    // A new pass: the bytes at the same offsets may be another file's or changed.
    tag_.Forget();
    frame_.Forget();
    tagStart_ = in.Position();
    audioStart_ = tagStart_;
    unsigned char bytes[TagHeader::Size];
    const std::size_t n = in.Read(bytes, sizeof bytes);
    if (in.Error()) {
        CheckStreams(&in, nullptr);
        return;
    }
    switch (header_.Read(bytes, n)) {
        case TagHeader::Status::NoTag:
            return;
        case TagHeader::Status::UnknownVersion:
            MarkBroken("ID3 version is not 2, 3 or 4");
            return;
        case TagHeader::Status::BadSize:
            MarkBroken("ID3 tag size is invalid");
            return;
        case TagHeader::Status::Valid:
            break;
    }
    const std::int64_t end = tagStart_ + header_.TotalSize();
    const std::int64_t fileSize = in.Size();
    bool fits = fileSize < 0 || end <= fileSize;
    if (fileSize < 0) {
        // Without a size, the tag's last byte must be there to read.
        unsigned char last;
        in.Seek(end - 1);
        fits = in.Read(&last, 1) == 1;
        if (in.Error()) {
            CheckStreams(&in, nullptr);
            return;
        }
    }
    if (!fits) {
        MarkBroken("ID3 tag size is invalid");
        return;
    }
    if (header_.version == 2 && (header_.flags & TagHeader::ExtendedHeader) != 0) {
        // 2.2 defined the compression flag but no way to compress.
        MarkBroken("ID3v2.2 tag is compressed");
        return;
    }
    kind_ = header_.version == 2   ? TagKind::V22
            : header_.version == 3 ? TagKind::V23
                                   : TagKind::V24;
    tagEnd_ = tagStart_ + TagHeader::Size + header_.size;
    audioStart_ = end;
}

void MP3::MarkBroken(std::string_view diagnostic) {
    if (!diagnostic.empty()) {
        WriteDiagnostic(*diagnostics_, diagnostic);
    }
    kind_ = TagKind::Broken;
    audioStart_ = tagStart_;
    secondStart_ = -1;
    ResetMeasures();
}

void MP3::WriteBytes(OutputFile* out, const void* bytes, std::size_t n) {
    written_ += n;
    if (out != nullptr) {
        out->Write(bytes, n);
        CheckStreams(nullptr, out);
    }
}

void MP3::FinishTrailer(const TagEdits& edits) {
    if (!edits.editTrailer) {
        return;
    }
    std::optional<std::string_view> title = edits.trailerTitle;
    int genre = edits.trailerGenre;
    if (!inputHadTrailer_) {
        // A fresh trailer takes what the track keeps of its own from its ID3v2 tag.
        if (!title && HasInputFrame(TagField::Title)) {
            title = InputText(TagField::Title);
        }
        if (genre == -1 && HasInputFrame(TagField::Genre)) {
            // "(12)", "(12)Other", "12" or a name of the list.
            genre = ReadGenreText(InputText(TagField::Genre)).number;
        }
        trailer_.SetYear(year_);
    }
    trailer_.Set(title, edits.trailerArtist, edits.trailerAlbum, edits.trailerTrack, genre);
}

void MP3::NoteYear(std::string_view text) {
    const std::string_view year = CutUtf8Chars(text, 4);
    year.copy(year_, year.size());
    year_[year.size()] = '\0';
}

void MP3::CheckStreams(const InputFile* in, const OutputFile* out) {
    if (in != nullptr && in->Error()) {
        failed_ = true;
        if (!readReported_) {
            readReported_ = true;
            WriteDiagnostic(*diagnostics_, "Cannot read the input: ", in->Error());
        }
    }
    if (out != nullptr && out->Failed()) {
        failed_ = true;
        if (!writeReported_) {
            writeReported_ = true;
            WriteDiagnostic(*diagnostics_, "Cannot write the output: ", out->Error());
        }
    }
}

void MP3::ReportShortInput(const InputFile& in, const OutputFile* out) {
    failed_ = true;
    if (!in.Error() && (out == nullptr || !out->Failed()) && !readReported_) {
        readReported_ = true;
        WriteDiagnostic(*diagnostics_, "The input ended early");
    }
    CheckStreams(&in, out);
}

}  // namespace brambex
