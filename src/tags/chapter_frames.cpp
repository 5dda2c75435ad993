#include "tags/chapter_frames.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "tags/byte_order.h"
#include "tags/frame_bodies.h"
#include "tags/frame_header.h"
#include "tags/text_encoding.h"

namespace brambex {

namespace {

// An element id, a prefix and a number from 1 (none for 0), with its terminator.
std::size_t PutElementId(std::string_view prefix, std::size_t number, unsigned char* out) {
    std::memcpy(out, prefix.data(), prefix.size());
    auto* end = reinterpret_cast<char*>(out + prefix.size());
    if (number > 0) {
        end = std::to_chars(end, end + 8, number).ptr;
    }
    *end = '\0';
    return static_cast<std::size_t>(reinterpret_cast<unsigned char*>(end) - out) + 1;
}

// The header in front of a payload that was rendered after room for it.
std::size_t PutHeader(std::string_view id, std::size_t frameSize, unsigned char* out) {
    FrameHeader header;
    std::memcpy(header.id, id.data(), 4);
    header.size = static_cast<std::uint32_t>(frameSize - FrameHeader::MaxSize);
    header.WriteV23(out);
    return frameSize;
}

// Both measuring (no output) and writing render every frame, so the two agree.
std::uint64_t PutChapterFrames(std::span<const Chapter> chapters, OutputFile* out) {
    unsigned char frame[std::max(ChapterFrame::MaxSize, TocFrame::MaxSize)];
    std::uint64_t size = 0;
    const auto put = [&](std::size_t n) {
        if (out != nullptr) {
            out->Write(frame, n);
        }
        size += n;
    };
    const std::size_t tocs = TocFrame::Count(chapters.size());
    for (std::size_t t = 0; t < tocs; ++t) {
        put(TocFrame::Render(chapters.size(), t, frame));
    }
    for (std::size_t c = 0; tocs > 0 && c < chapters.size(); ++c) {
        put(ChapterFrame::Render(c, chapters[c], frame));
    }
    return size;
}

}  // namespace

std::size_t ChapterFrame::Render(std::size_t index, const Chapter& chapter, unsigned char* out) {
    std::size_t n = FrameHeader::MaxSize;
    n += PutElementId("ch", index + 1, out + n);
    for (const std::uint32_t value :
         {chapter.startMs, chapter.endMs, chapter.startOffset, chapter.endOffset}) {
        WriteUint32BigEndian(out + n, value);
        n += 4;
    }
    if (!chapter.title.empty()) {
        // Cut as book_tag.cpp cuts its texts.
        const std::size_t titleSize = TextFrame::Render(
            CutUtf8(chapter.title, MaxTitleSize - 1), out + n + FrameHeader::MaxSize, MaxTitleSize);
        n += PutHeader("TIT2", FrameHeader::MaxSize + titleSize, out + n);
    }
    return PutHeader("CHAP", n, out);
}

bool ChapterFrame::Parse(const unsigned char* payload, std::size_t n, Parsed& chapter) {
    if (n == 0) {
        return false;
    }
    const auto* zero = static_cast<const unsigned char*>(std::memchr(payload, 0, n));
    if (zero == nullptr || static_cast<std::size_t>(zero - payload) + 1 + 16 > n) {
        return false;
    }
    chapter.elementId = {reinterpret_cast<const char*>(payload),
                         static_cast<std::size_t>(zero - payload)};
    const unsigned char* p = zero + 1;
    chapter.startMs = ReadUint32BigEndian(p);
    chapter.endMs = ReadUint32BigEndian(p + 4);
    chapter.startOffset = ReadUint32BigEndian(p + 8);
    chapter.endOffset = ReadUint32BigEndian(p + 12);
    chapter.titleSize = 0;
    // The embedded frames, up to the first TIT2 or the padding.
    FrameHeader frame;
    for (p += 16; payload + n - p >= FrameHeader::MaxSize && frame.Read(p, 3);
         p += FrameHeader::MaxSize + frame.size) {
        const auto left = static_cast<std::size_t>(payload + n - p) - FrameHeader::MaxSize;
        if (frame.Id() == "TIT2" && !frame.compressed && !frame.encrypted) {
            const std::size_t skip = frame.grouped ? 1 : 0;
            const std::size_t size = std::min<std::size_t>(frame.size, left);
            chapter.titleSize = size > skip
                                    ? TextFrame::Parse(p + FrameHeader::MaxSize + skip, size - skip,
                                                       chapter.title, sizeof chapter.title)
                                    : 0;
            break;
        }
        if (frame.size > left) {
            break;
        }
    }
    return true;
}

std::size_t TocFrame::Count(std::size_t chapters) {
    if (chapters == 0 || chapters > MaxChapters) {
        return 0;
    }
    return chapters <= MaxChildren ? 1 : 1 + (chapters + MaxChildren - 1) / MaxChildren;
}

std::size_t TocFrame::Render(std::size_t chapters, std::size_t which, unsigned char* out) {
    const bool nested = chapters > MaxChildren;
    std::size_t n = FrameHeader::MaxSize;
    n += PutElementId("toc", which, out + n);
    out[n++] = which == 0 ? TopLevel | Ordered : Ordered;
    // The top-level frame of a nested table lists the other CTOCs; each of those, or
    // the one frame of a short book, lists chapters.
    std::size_t first = 0;
    std::size_t count = std::min(chapters, MaxChildren);
    if (nested && which == 0) {
        count = Count(chapters) - 1;
    } else if (nested) {
        first = (which - 1) * MaxChildren;
        count = std::min(chapters - first, MaxChildren);
    }
    out[n++] = static_cast<unsigned char>(count);
    for (std::size_t i = 0; i < count; ++i) {
        const bool tocs = nested && which == 0;
        n += PutElementId(tocs ? "toc" : "ch", first + i + 1, out + n);
    }
    return PutHeader("CTOC", n, out);
}

std::uint64_t MeasureChapterFrames(std::span<const Chapter> chapters) {
    return PutChapterFrames(chapters, nullptr);
}

std::uint64_t WriteChapterFrames(std::span<const Chapter> chapters, OutputFile& out) {
    return PutChapterFrames(chapters, &out);
}

}  // namespace brambex
