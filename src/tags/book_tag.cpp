#include "tags/book_tag.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/native_file.h"
#include "tags/frame_bodies.h"
#include "tags/frame_header.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

// A longer text is cut on a character boundary, alike when measured and written: first
// to as many bytes of UTF-8 as ISO-8859-1 can surely hold, since the frame's renderer
// takes one character off at a time until a text fits.
constexpr std::size_t MaxTextSize = 8 * 1024;
constexpr unsigned char FrontCover = 3;

using Problem = BookTagStatus::Problem;

constexpr std::size_t MaxMimeType = 255;

// A MIME type is printable ASCII; it ends at the first byte that is not.
std::string_view MimeType(std::string_view text) {
    const auto end =
        std::find_if(text.begin(), text.end(), [](char c) { return c <= ' ' || c > '~'; });
    return text.substr(
        0, std::min<std::size_t>(static_cast<std::size_t>(end - text.begin()), MaxMimeType));
}

// The APIC payload's bytes before the picture: encoding, MIME type, picture type and
// an empty description.
std::size_t PictureHead(std::string_view mimeType, unsigned char* out) {
    out[0] = 0;
    std::memcpy(out + 1, mimeType.data(), mimeType.size());
    std::size_t n = 1 + mimeType.size();
    out[n++] = 0;
    out[n++] = FrontCover;
    out[n++] = 0;
    return n;
}

// The text frames, measured (no output) or written; returns their bytes.
std::uint64_t PutTextFrames(const BookTexts& texts, OutputFile* out) {
    const struct {
        const char* id;
        std::string_view text;
    } frames[] = {{"TIT2", texts.title},       {"TALB", texts.title}, {"TPE1", texts.artist},
                  {"TPE2", texts.albumArtist}, {"TCON", texts.genre}, {"TYER", texts.year}};
    unsigned char frame[FrameHeader::MaxSize + MaxTextSize];
    std::uint64_t size = 0;
    for (const auto& f : frames) {
        if (f.text.empty()) {
            continue;
        }
        FrameHeader header;
        std::memcpy(header.id, f.id, 4);
        header.size = static_cast<std::uint32_t>(TextFrame::Render(
            CutUtf8(f.text, MaxTextSize - 1), frame + FrameHeader::MaxSize, MaxTextSize));
        header.WriteV23(frame);
        size += FrameHeader::MaxSize + header.size;
        if (out != nullptr) {
            out->Write(frame, FrameHeader::MaxSize + header.size);
        }
    }
    return size;
}

std::uint64_t PictureFrameSize(const BookTag& tag, std::uint64_t coverSize) {
    if (tag.cover.path.empty()) {
        return 0;
    }
    return FrameHeader::MaxSize + 4 + MimeType(tag.cover.mimeType).size() + coverSize;
}

// Opens the picture; false, with the reason in status, when it is no file to read.
bool OpenCover(const std::string& path, InputFile& in, BookTagStatus& status) {
    std::error_code error;
    const auto kind = platform::native_file::KindOf(path, error);
    if (kind == platform::native_file::Kind::Regular && in.Open(path)) {
        return true;
    }
    status.problem = Problem::CoverUnreadable;
    if (kind == platform::native_file::Kind::Folder) {
        status.error = std::error_code(EISDIR, std::generic_category());
    } else {
        status.error = kind == platform::native_file::Kind::Regular ? in.Error() : error;
    }
    return false;
}

// The APIC frame, its picture streamed from the file. False with the reason in status.
bool WritePicture(const BookTag& tag, std::uint64_t coverSize, OutputFile& out,
                  BookTagStatus& status) {
    InputFile in;
    if (!OpenCover(tag.cover.path, in, status)) {
        return false;
    }
    const auto measured = static_cast<std::int64_t>(coverSize);
    if (tag.cover.size < 0
            ? in.Size() != measured
            : in.Size() < tag.cover.offset + measured || !in.Seek(tag.cover.offset)) {
        status.problem = Problem::Changed;
        return false;
    }
    unsigned char head[FrameHeader::MaxSize + 4 + MaxMimeType];
    const std::string_view mimeType = MimeType(tag.cover.mimeType);
    FrameHeader header;
    std::memcpy(header.id, "APIC", 4);
    header.size =
        static_cast<std::uint32_t>(PictureFrameSize(tag, coverSize) - FrameHeader::MaxSize);
    header.WriteV23(head);
    out.Write(head, FrameHeader::MaxSize + PictureHead(mimeType, head + FrameHeader::MaxSize));
    if (CopyBytes(in, out, coverSize) < coverSize && !out.Failed()) {
        status.problem = in.Error() ? Problem::CoverUnreadable : Problem::Changed;
        status.error = in.Error();
        return false;
    }
    return true;
}

}  // namespace

std::string_view BookTagStatus::Text() const {
    switch (problem) {
        case Problem::None:
            return {};
        case Problem::TooManyChapters:
            return "the book has more chapters than its tag can list";
        case Problem::TagTooLarge:
            return "the book's tag would be too large";
        case Problem::CoverUnreadable:
            return "cannot read the cover picture";
        case Problem::Changed:
            return "the book's tag changed while it was written";
        case Problem::WriteFailed:
            return "cannot write the book";
    }
    return {};
}

BookTagSize MeasureBookTag(const BookTag& tag) {
    BookTagSize size;
    if (tag.chapters.size() > TocFrame::MaxChapters) {
        size.status.problem = Problem::TooManyChapters;
        return size;
    }
    if (!tag.cover.path.empty()) {
        InputFile in;
        if (!OpenCover(tag.cover.path, in, size.status)) {
            return size;
        }
        const std::int64_t coverSize = tag.cover.size < 0 ? in.Size() : tag.cover.size;
        if (coverSize <= 0 || in.Size() < tag.cover.offset + coverSize) {
            size.status.problem = Problem::CoverUnreadable;
            return size;
        }
        size.coverSize = static_cast<std::uint64_t>(coverSize);
    }
    size.framesSize = PutTextFrames(tag.texts, nullptr) + PictureFrameSize(tag, size.coverSize) +
                      MeasureChapterFrames(tag.chapters);
    if (size.framesSize > TagHeader::MaxSize) {
        size.status.problem = Problem::TagTooLarge;
    }
    return size;
}

BookTagStatus WriteBookTag(const BookTag& tag, const BookTagSize& size, std::uint32_t padding,
                           OutputFile& out) {
    BookTagStatus status = size.status;
    if (!status.Ok()) {
        return status;
    }
    if (size.framesSize + padding > TagHeader::MaxSize) {
        status.problem = Problem::TagTooLarge;
        return status;
    }
    unsigned char header[TagHeader::Size];
    TagHeader::WriteV23(header, static_cast<std::uint32_t>(size.framesSize + padding));
    out.Write(header, sizeof header);
    std::uint64_t written = PutTextFrames(tag.texts, &out);
    if (!tag.cover.path.empty()) {
        if (!WritePicture(tag, size.coverSize, out, status)) {
            return status;
        }
        written += PictureFrameSize(tag, size.coverSize);
    }
    written += WriteChapterFrames(tag.chapters, out);
    if (written != size.framesSize) {
        // The texts or chapters are not those measured: the header's size would lie.
        status.problem = Problem::Changed;
        return status;
    }
    static constexpr unsigned char Zeros[1024] = {};
    for (std::uint64_t left = padding; left > 0;) {
        const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof Zeros));
        out.Write(Zeros, k);
        left -= k;
    }
    if (out.Failed()) {
        status.problem = Problem::WriteFailed;
        status.error = out.Error();
    }
    return status;
}

}  // namespace brambex
