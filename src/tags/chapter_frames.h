// The chapters of a book written as one MP3 file: one CHAP frame for each chapter and
// the CTOC frames that list them, as ID3v2.3 frames.
//
// A chapter's element id is "ch1", "ch2", … in the book's order; it carries its start
// and end times in milliseconds, the byte offsets of its audio, and its title as an
// embedded TIT2 frame. The byte offsets count from the file's first byte, the "I" of
// the tag's header, not from the first audio frame: the start offset is that of the
// chapter's first audio frame, the end offset that of the first audio frame after
// the chapter (for the last chapter, the first byte after the audio). They therefore
// depend on the size of the tag that holds them; being four bytes each whatever their
// value, a tag can be measured before they are known.
//
// The table of contents is one top-level, ordered CTOC "toc". A CTOC counts its
// children in one byte, so a book of up to 255 chapters has them all in "toc"; a
// longer one has them in ordered CTOCs "toc1", "toc2", … of 255 chapters each (the
// last holds the rest), and "toc" lists those. A book may so have 255 × 255 chapters.
// The CTOCs come first, then the CHAPs.
//
// Every frame is rendered whole into a small buffer of fixed size, so a book of
// thousands of chapters is measured and written in bounded memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/file_stream.h"

namespace brambex {

// One chapter of a book: one of its tracks.
struct Chapter {
    // An offset the frame leaves unused: players go by the times.
    static constexpr std::uint32_t NoOffset = 0xFFFFFFFF;

    std::string_view title;  // UTF-8; no TIT2 frame when empty
    std::uint32_t startMs = 0;
    std::uint32_t endMs = 0;
    std::uint32_t startOffset = NoOffset;
    std::uint32_t endOffset = NoOffset;
};

// A byte offset as a CHAP frame can hold it: NoOffset from 4 GiB - 1 on.
constexpr std::uint32_t ChapterOffset(std::uint64_t offset) {
    return offset < Chapter::NoOffset ? static_cast<std::uint32_t>(offset) : Chapter::NoOffset;
}

struct ChapterFrame {
    // The most of a chapter's TIT2 payload; a longer title is cut on a character
    // boundary.
    static constexpr std::size_t MaxTitleSize = 1024;
    // Frame header, element id, times and offsets, TIT2 header and payload.
    static constexpr std::size_t MaxSize = 10 + 8 + 16 + 10 + MaxTitleSize;

    // The CHAP frame, header included, of the chapter at index (counted from 0) into
    // out, which holds MaxSize bytes. Returns its size.
    static std::size_t Render(std::size_t index, const Chapter& chapter, unsigned char* out);

    // A CHAP payload as read: its element id, times, offsets and the text of its
    // first TIT2 frame (as UTF-8, cut at the buffer's size).
    struct Parsed {
        std::string_view elementId;  // a view into the payload
        std::uint32_t startMs = 0;
        std::uint32_t endMs = 0;
        std::uint32_t startOffset = 0;
        std::uint32_t endOffset = 0;
        char title[2 * MaxTitleSize];
        std::size_t titleSize = 0;
        std::string_view Title() const { return {title, titleSize}; }
    };
    // False when the payload ends before its times and offsets do.
    static bool Parse(const unsigned char* payload, std::size_t n, Parsed& chapter);
};

struct TocFrame {
    static constexpr std::size_t MaxChildren = 255;
    static constexpr std::size_t MaxChapters = MaxChildren * MaxChildren;
    // Frame header, element id, flags and count, and 255 child ids of up to 8 bytes
    // ("ch65025" and its terminator).
    static constexpr std::size_t MaxSize = 10 + 8 + 2 + MaxChildren * 8;
    static constexpr unsigned char TopLevel = 0x02;
    static constexpr unsigned char Ordered = 0x01;

    // How many CTOC frames a book of `chapters` chapters (1 to MaxChapters) gets.
    static std::size_t Count(std::size_t chapters);
    // CTOC frame `which` (0 is "toc", then "toc1", …; below Count(chapters)), header
    // included, into out, which holds MaxSize bytes. Returns its size.
    static std::size_t Render(std::size_t chapters, std::size_t which, unsigned char* out);
};

// The bytes of all CTOC and CHAP frames of a book of 1 to TocFrame::MaxChapters
// chapters (none for a book without chapters), and the writing of them. Writing gives
// the bytes it wrote, which equal the measure; whether they arrived, out says.
std::uint64_t MeasureChapterFrames(std::span<const Chapter> chapters);
std::uint64_t WriteChapterFrames(std::span<const Chapter> chapters, OutputFile& out);

}  // namespace brambex
