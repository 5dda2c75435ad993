// The walk over the input tag's frames (over both tags, when a second follows the
// first), frame header by frame header, and the payload of the current frame as the
// conversions read it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "tags/byte_order.h"
#include "tags/diagnostic.h"
#include "tags/mp3.h"
#include "tags/mp3_frame_plan.h"
#include "tags/text_encoding.h"

namespace brambex {

std::size_t MP3::PayloadReader::Read(unsigned char* out, std::size_t n) {
    return mp3_.ReadPayload(out, n);
}

std::uint64_t MP3::PayloadReader::Skip(std::uint64_t n) {
    const std::uint64_t k = std::min(n, mp3_.payloadLeft_);
    const bool skipped = mp3_.payload_->Skip(k);
    mp3_.payloadLeft_ = skipped ? mp3_.payloadLeft_ - k : 0;
    return skipped ? k : 0;
}

std::uint64_t MP3::PayloadReader::CopyTo(PayloadSink&, std::uint64_t n) {
    // The sink is always the pass's output: pictures go the fast way.
    const std::uint64_t k = std::min(n, mp3_.payloadLeft_);
    mp3_.CopyPayloadRest(mp3_.output_, k);
    return k;
}

PayloadSource::Mark MP3::PayloadReader::Here() const {
    const TagStream::Mark mark = mp3_.payload_->Here();
    return {mark.position, mark.afterFF, mp3_.payloadLeft_, 0, false};
}

void MP3::PayloadReader::Rewind(const Mark& mark) {
    mp3_.payload_->Rewind({mark.position, mark.afterFF});
    mp3_.payloadLeft_ = mark.left;
}

void MP3::FindSecondTag(InputFile& in, std::int64_t at) {
    secondStart_ = -1;
    std::int64_t fileSize = in.Size();
    // Where the size cannot be told (a pipe), nor can the end of a second tag be checked:
    // it is not looked for, and whatever follows the first tag is audio.
    if (fileSize < 0) {
        return;
    }
    unsigned char bytes[TagHeader::Size];
    in.Seek(at);
    const std::size_t n = in.Read(bytes, sizeof bytes);
    // Some taggers put a new tag in front of the old one instead of replacing it.
    if (secondHeader_.Read(bytes, n) != TagHeader::Status::Valid) {
        return;
    }
    // A second tag ends before an ID3v1 trailer, an APE tag or a Lyrics3v2 block: a
    // broken tag kept as audio, which claimed more than its file held, must not become
    // one once such a tag follows it.
    fileSize = AudioEndAfter(in, at);
    if (at + secondHeader_.TotalSize() > fileSize ||
        (secondHeader_.version == 2 && (secondHeader_.flags & TagHeader::ExtendedHeader) != 0)) {
        return;
    }
    // With a third behind it, the tags after the first stay audio, all of them: merging
    // two would leave the third to be taken for a second by the next pass.
    TagHeader third;
    in.Seek(at + secondHeader_.TotalSize());
    if (third.Read(bytes, in.Read(bytes, sizeof bytes)) == TagHeader::Status::Valid) {
        WriteDiagnostic(*diagnostics_,
                        "More than two ID3v2 tags in a row: those after the first kept as audio");
        return;
    }
    secondStart_ = at;
    secondEnd_ = at + TagHeader::Size + secondHeader_.size;
    audioStart_ = at + secondHeader_.TotalSize();
}

bool MP3::StartWalk(InputFile& in, const TagPart& part) {
    walk_ = part;
    const TagHeader& tag = walk_.header;
    const bool wholeTagUnsynchronised = tag.version != 4 && tag.Unsynchronised();
    tag_.Open(in, walk_.start + TagHeader::Size, walk_.end, wholeTagUnsynchronised);
    payload_ = &tag_;
    payloadLeft_ = 0;
    walkBroken_ = false;
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
    walkBroken_ = true;
    return false;
}

bool MP3::NextFrame(InputFile& in, FrameHeader& header) {
    // Whatever the last frame left unread is passed over.
    if (payloadLeft_ > 0 && payload_ == &tag_ && !tag_.Skip(payloadLeft_)) {
        walkBroken_ = true;
        return false;
    }
    payloadLeft_ = 0;
    payload_ = &tag_;
    const int version = walk_.header.version;
    const int headerSize = FrameHeader::SizeFor(version);
    unsigned char bytes[FrameHeader::MaxSize];
    if (tag_.Read(bytes, static_cast<std::size_t>(headerSize)) <
            static_cast<std::size_t>(headerSize) ||
        !header.Read(bytes, version)) {
        // Less than a header left, or zero bytes: padding.
        return false;
    }
    const std::int64_t payloadStart = tag_.Position();
    if (header.size > static_cast<std::uint64_t>(walk_.end - payloadStart)) {
        WriteDiagnosticNumber(*diagnostics_, "Frame too big: ", header.size);
        walkBroken_ = true;
        brokenReported_ = true;
        return false;
    }
    payloadLeft_ = header.size;
    if (version == 4) {
        frameStart_ = payloadStart;
        frame_.OpenWithin(tag_, in, payloadStart, payloadStart + header.size,
                          header.unsynchronised || walk_.header.Unsynchronised());
        tag_.Skip(header.size);
        payload_ = &frame_;
    }
    return true;
}

std::size_t MP3::ReadPayload(unsigned char* buffer, std::uint64_t n) {
    const auto want = static_cast<std::size_t>(std::min(n, payloadLeft_));
    const std::size_t got = payload_->Read(buffer, want);
    payloadLeft_ -= got;
    if (got < want) {
        payloadLeft_ = 0;
    }
    return got;
}

}  // namespace brambex
