// Chapters (CHAP) and tables of contents (CTOC) of 2.4: their own fields as they are,
// then each frame they embed converted to 2.3 as a frame at the top of a tag would be,
// its unsynchronisation undone on the way.
#include <algorithm>

#include "tags/frame_header.h"
#include "tags/frame_ids.h"
#include "tags/payload_converter.h"

namespace brambex {

namespace {

// One frame of a chapter's payload, its own unsynchronisation undone.
class EmbeddedSource : public PayloadSource {
  public:
    EmbeddedSource(PayloadSource& parent, std::uint64_t size, bool unsynchronised)
        : parent_(parent), left_(size), unsynchronised_(unsynchronised) {}

    std::size_t Read(unsigned char* out, std::size_t n) override {
        std::size_t got = 0;
        while (got < n && left_ > 0) {
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(n - got, left_));
            const std::size_t k = parent_.Read(out + got, want);
            left_ = k < want ? 0 : left_ - k;
            std::size_t kept = got;
            for (std::size_t i = got; i < got + k; ++i) {
                if (unsynchronised_ && afterFF_ && out[i] == 0) {
                    afterFF_ = false;
                    continue;
                }
                afterFF_ = out[i] == 0xFF;
                out[kept++] = out[i];
            }
            got = kept;
        }
        return got;
    }
    std::uint64_t Skip(std::uint64_t n) override {
        if (!unsynchronised_) {
            const std::uint64_t k = parent_.Skip(std::min(n, left_));
            left_ -= k;
            return k;
        }
        std::uint64_t skipped = 0;
        unsigned char scratch[512];
        while (skipped < n) {
            const std::size_t got =
                Read(scratch, static_cast<std::size_t>(std::min<std::uint64_t>(n - skipped, 512)));
            if (got == 0) {
                break;
            }
            skipped += got;
        }
        return skipped;
    }
    std::uint64_t CopyTo(PayloadSink& sink, std::uint64_t n) override {
        if (unsynchronised_) {
            return PayloadSource::CopyTo(sink, n);
        }
        const std::uint64_t k = parent_.CopyTo(sink, std::min(n, left_));
        left_ -= k;
        return k;
    }
    std::uint64_t Left() const override { return left_; }
    Mark Here() const override {
        Mark mark = parent_.Here();
        mark.embeddedLeft = left_;
        mark.embeddedAfterFF = afterFF_;
        return mark;
    }
    void Rewind(const Mark& mark) override {
        parent_.Rewind(mark);
        left_ = mark.embeddedLeft;
        afterFF_ = mark.embeddedAfterFF;
    }

  private:
    PayloadSource& parent_;
    std::uint64_t left_;
    bool unsynchronised_;
    bool afterFF_ = false;
};

}  // namespace

PayloadConverter::Result PayloadConverter::MeasureChapter(std::string_view id, PayloadSource& in,
                                                          LeftOutNotes* notes) {
    Result result;
    chapterValid_ = true;
    chapterSize_ = ChapterHead(id, in, nullptr);
    while (chapterValid_ && EmbeddedFrame(in, nullptr, notes)) {
    }
    in.Skip(PayloadSource::All);
    result.valid = chapterValid_;
    result.size = chapterSize_;
    return result;
}

void PayloadConverter::WriteChapter(std::string_view id, PayloadSource& in, PayloadSink& out) {
    chapterValid_ = true;
    chapterSize_ = ChapterHead(id, in, &out);
    while (chapterValid_ && EmbeddedFrame(in, &out, nullptr)) {
    }
    in.Skip(PayloadSource::All);
}

std::uint64_t PayloadConverter::ChapterHead(std::string_view id, PayloadSource& in,
                                            PayloadSink* out) {
    // The element id, then the times (CHAP) or the flags, the count and the child ids
    // (CTOC): all kept as they are.
    std::uint64_t size = 0;
    const auto copy = [&](unsigned char* bytes, std::size_t n) {
        const std::size_t got = in.Read(bytes, n);
        if (out != nullptr) {
            out->Write(bytes, got);
        }
        size += got;
        chapterValid_ = chapterValid_ && got == n;
        return got == n;
    };
    const auto copyText = [&]() {
        unsigned char byte = 1;
        while (byte != 0 && copy(&byte, 1)) {
        }
    };
    copyText();
    unsigned char bytes[16];
    if (id == "CHAP") {
        copy(bytes, 16);
    } else if (copy(bytes, 2)) {
        for (unsigned i = 0; i < bytes[1] && chapterValid_; ++i) {
            copyText();
        }
    }
    return size;
}

bool PayloadConverter::EmbeddedFrame(PayloadSource& in, PayloadSink* out, LeftOutNotes* notes) {
    unsigned char bytes[FrameHeader::MaxSize];
    FrameHeader header;
    if (in.Left() < sizeof bytes || in.Read(bytes, sizeof bytes) < sizeof bytes ||
        !header.Read(bytes, 4)) {
        // Padding, or less than a header: the chapter's frames have ended.
        return false;
    }
    if (header.size > in.Left()) {
        chapterValid_ = false;
        return false;
    }
    EmbeddedSource frame(in, header.size, header.unsynchronised);
    unsigned char group = 0;
    unsigned char length[4];
    const bool unreadable = (header.grouped && frame.Read(&group, 1) < 1) ||
                            (header.dataLength && frame.Read(length, 4) < 4) || header.compressed ||
                            header.encrypted;
    FrameHeader v23 = header;
    const FrameLayout* layout = LayoutOf(header.Id(), 4);
    if (unreadable || BecomesOtherFrames(header.Id()) || !MapFrameId(4, header.Id(), v23.id)) {
        if (notes != nullptr) {
            notes->LeftOut(header.Id(), unreadable);
        }
        frame.Skip(PayloadSource::All);
        return true;
    }
    const PayloadSource::Mark start = frame.Here();
    Result converted;
    converted.valid = true;
    if (layout != nullptr) {
        converted = Measure(*layout, frame);
    } else {
        converted.size = frame.Skip(PayloadSource::All);
    }
    if (!converted.valid) {
        if (notes != nullptr) {
            notes->LeftOut(header.Id(), true);
        }
        return true;
    }
    v23.size = static_cast<std::uint32_t>(converted.size + (header.grouped ? 1 : 0));
    chapterSize_ += FrameHeader::MaxSize + std::uint64_t{v23.size};
    if (out == nullptr) {
        return true;
    }
    frame.Rewind(start);
    v23.WriteV23(bytes);
    out->Write(bytes, sizeof bytes);
    if (header.grouped) {
        out->Write(&group, 1);
    }
    if (layout != nullptr) {
        Write(*layout, frame, converted.latin1, *out);
    } else {
        frame.CopyTo(*out, PayloadSource::All);
    }
    return true;
}

}  // namespace brambex
