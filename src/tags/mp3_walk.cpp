// The walk over the input tag's frames, frame header by frame header, and the payload
// of the current frame as the conversions read it.
#include <algorithm>

#include "tags/byte_order.h"
#include "tags/diagnostic.h"
#include "tags/frame_walk.h"

namespace brambex {

std::size_t FrameWalk::Reader::Read(unsigned char* out, std::size_t n) {
    return walk_.ReadPayload(out, n);
}

std::uint64_t FrameWalk::Reader::Skip(std::uint64_t n) {
    const std::uint64_t k = std::min(n, walk_.payloadLeft_);
    const bool skipped = walk_.payload_->Skip(k);
    walk_.payloadLeft_ = skipped ? walk_.payloadLeft_ - k : 0;
    return skipped ? k : 0;
}

std::uint64_t FrameWalk::Reader::CopyTo(PayloadSink& sink, std::uint64_t n) {
    const std::uint64_t k = std::min(n, walk_.payloadLeft_);
    if (walk_.output_ == nullptr) {
        return PayloadSource::CopyTo(sink, k);
    }
    // The sink is always the pass's output: pictures go the fast way.
    walk_.output_->CopyPayload(k);
    return k;
}

PayloadSource::Mark FrameWalk::Reader::Here() const {
    const TagStream::Mark mark = walk_.payload_->Here();
    return {mark.position, mark.afterFF, walk_.payloadLeft_, 0, false};
}

void FrameWalk::Reader::Rewind(const Mark& mark) {
    walk_.payload_->Rewind({mark.position, mark.afterFF});
    walk_.payloadLeft_ = mark.left;
}

void FrameWalk::Forget() {
    tag_.Forget();
    frame_.Forget();
}

bool FrameWalk::Start(InputFile& in, const TagPart& part, bool keyed, LeftOutNotes* notes,
                      PayloadOutput* output) {
    part_ = part;
    keyed_ = keyed;
    notes_ = notes;
    output_ = output;
    const TagHeader& tag = part_.header;
    const bool wholeTagUnsynchronised = tag.version != 4 && tag.Unsynchronised();
    tag_.Open(in, part_.start + TagHeader::Size, part_.end, wholeTagUnsynchronised);
    payload_ = &tag_;
    payloadLeft_ = 0;
    broken_ = false;
    if (tag.version == 2 || (tag.flags & TagHeader::ExtendedHeader) == 0) {
        return true;
    }
    // The output tag goes without the extended header: its CRC and padding size would
    // no longer hold.
    unsigned char sizeBytes[4];
    if (tag_.Read(sizeBytes, 4) == 4) {
        // 2.3 counts the bytes after the size, 2.4 the whole extended header.
        const std::uint32_t size =
            tag.version == 3 ? ReadUint32BigEndian(sizeBytes) : ReadSyncsafe32(sizeBytes);
        if ((tag.version == 3 || size >= 6) && tag_.Skip(tag.version == 3 ? size : size - 4)) {
            return true;
        }
    }
    broken_ = true;
    return false;
}

bool FrameWalk::Next(InputFile& in, FrameHeader& header, PassReport& report) {
    // Whatever the last frame left unread is passed over.
    if (payloadLeft_ > 0 && payload_ == &tag_ && !tag_.Skip(payloadLeft_)) {
        broken_ = true;
        return false;
    }
    payloadLeft_ = 0;
    payload_ = &tag_;
    const int version = part_.header.version;
    const auto headerSize = static_cast<std::size_t>(FrameHeader::SizeFor(version));
    unsigned char bytes[FrameHeader::MaxSize];
    if (tag_.Read(bytes, headerSize) < headerSize || !header.Read(bytes, version)) {
        // Less than a header left, or zero bytes: padding.
        return false;
    }
    const std::int64_t payloadStart = tag_.Position();
    if (header.size > static_cast<std::uint64_t>(part_.end - payloadStart)) {
        WriteDiagnosticNumber(report.Sink(), "Frame too big: ", header.size);
        broken_ = true;
        brokenReported_ = true;
        return false;
    }
    payloadLeft_ = header.size;
    if (version == 4) {
        frameStart_ = payloadStart;
        frame_.OpenWithin(tag_, in, payloadStart, payloadStart + header.size,
                          header.unsynchronised || part_.header.Unsynchronised());
        tag_.Skip(header.size);
        payload_ = &frame_;
    }
    return true;
}

std::size_t FrameWalk::ReadPayload(unsigned char* buffer, std::uint64_t n) {
    const auto want = static_cast<std::size_t>(std::min(n, payloadLeft_));
    const std::size_t got = payload_->Read(buffer, want);
    payloadLeft_ -= got;
    if (got < want) {
        payloadLeft_ = 0;
    }
    return got;
}

std::uint64_t FrameWalk::CopyPayload(OutputFile& out, std::uint64_t n) {
    std::uint64_t copied = 0;
    if (const unsigned char* held = payload_->TakeInPlace(n)) {
        // The walk read it with the tag.
        out.Write(held, static_cast<std::size_t>(n));
        copied = out.Failed() ? 0 : n;
        payloadLeft_ -= n;
    } else if (!payload_->Unsynchronised()) {
        // Pictures mostly: copied without passing through the codec's buffers.
        InputFile& in = payload_->Input();
        in.Seek(payload_->Position());
        copied = CopyBytes(in, out, n);
        payload_->Skip(copied);
        payloadLeft_ -= copied;
    } else {
        while (copied < n) {
            const std::size_t got =
                ReadPayload(head_, std::min<std::uint64_t>(n - copied, sizeof head_));
            if (got == 0) {
                break;
            }
            out.Write(head_, got);
            copied += got;
        }
    }
    return copied;
}

}  // namespace brambex
