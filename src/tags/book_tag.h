// The ID3v2.3 tag of a book written as one MP3 file: its texts, its cover picture,
// its table of contents and chapters (tags/chapter_frames.h), and padding.
//
// The tag is measured first, then written. The chapters' byte offsets count from the
// file's first byte, so they depend on the tag's size; they take four bytes whatever
// their value, so the caller measures the tag with the offsets unknown, places the
// audio after the tag (and whatever frame leads the audio), sets each chapter's
// offsets, and then writes the tag:
//
//     BookTag tag{texts, cover, chapters};
//     const BookTagSize size = MeasureBookTag(tag);
//     if (!size.status.Ok()) { … }
//     const std::uint64_t audioStart = size.TagSize(padding) + leadingFrameSize;
//     … chapters[i].startOffset = ChapterOffset(audioStart + trackStart[i]); …
//     const BookTagStatus written = WriteBookTag(tag, size, padding, out);
//
// The frames: TIT2 and TALB (the title), TPE1, TPE2, TCON and TYER, each where its
// text is not empty; APIC, the front cover, streamed from the picture's file; the
// CTOCs and the CHAPs. Texts go in ISO-8859-1 where they allow it, else in UTF-16 with
// a byte-order mark; sizes are plain 32-bit numbers and nothing is unsynchronised.
// Nothing of the tag is held whole: the picture streams from its file and every
// other frame is rendered in a small buffer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/file_stream.h"
#include "tags/chapter_frames.h"
#include "tags/tag_header.h"

namespace brambex {

struct BookTexts {
    std::string_view title;  // TIT2 and TALB
    std::string_view artist;
    std::string_view albumArtist;
    std::string_view genre;
    std::string_view year;
};

// The picture goes into the tag as it is; its MIME type ("image/jpeg") is cut at the
// first character that cannot be one.
struct BookCover {
    std::string path;  // none when empty
    std::string_view mimeType;
    // The picture's bytes within the file (a track's own cover); the whole file when
    // size is negative.
    std::int64_t offset = 0;
    std::int64_t size = -1;
};

// Texts and titles are views the caller keeps alive until the tag is written.
struct BookTag {
    BookTexts texts;
    BookCover cover;
    // The caller sets their offsets between measuring and writing.
    std::span<const Chapter> chapters;
};

struct BookTagStatus {
    enum class Problem : std::uint8_t {
        None,
        TooManyChapters,  // more than TocFrame::MaxChapters
        TagTooLarge,      // past the 256 MiB an ID3v2 tag can have
        CoverUnreadable,  // the picture cannot be opened or read, or is empty
        Changed,          // the picture or the texts changed since the tag was measured
        WriteFailed,      // the output failed (its error says why)
    };
    Problem problem = Problem::None;
    // The system's reason, for an unreadable cover and a failed write; may be none.
    std::error_code error;

    bool Ok() const { return problem == Problem::None; }
    // The problem in the user's words, without the file's name and the reason:
    // "cannot read the cover picture".
    std::string_view Text() const;
};

struct BookTagSize {
    BookTagStatus status;
    std::uint64_t framesSize = 0;  // the frames, without the header and the padding
    std::uint64_t coverSize = 0;   // the picture's bytes as measured

    // Bytes from the tag's first byte to the first byte after its padding.
    std::uint64_t TagSize(std::uint32_t padding) const {
        return TagHeader::Size + framesSize + padding;
    }
};

// The tag's size, the picture's file opened to learn its own.
BookTagSize MeasureBookTag(const BookTag& tag);
// Writes the tag measured as `size` with `padding` zero bytes after its frames. On a
// failure the output is incomplete; a failed write to a file may show only when the
// caller closes it.
BookTagStatus WriteBookTag(const BookTag& tag, const BookTagSize& size, std::uint32_t padding,
                           OutputFile& out);

}  // namespace brambex
