#include "tags/mpeg_track.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "tags/byte_order.h"

namespace brambex {

namespace {

constexpr std::int64_t BufferSize = 64 * 1024;
// The most bytes looked at in one place: an info frame's fields and LAME extension.
constexpr int LongestLook = 256;

constexpr int VbriOffset = 4 + 32;
constexpr int LameExtensionSize = 36;
// In the LAME extension: the encoder, the 12-bit delay and padding.
constexpr int EncoderSize = 9;
constexpr int DelayOffset = 21;

// The bytes of [start, end) of the input, read forwards through one buffer.
class FrameReader {
  public:
    FrameReader(InputFile& in, std::int64_t end)
        : in_(in), end_(end), buffer_(std::make_unique<unsigned char[]>(BufferSize)) {}
    // The n bytes at pos, which the caller knows to lie before the end; null once a
    // read has failed.
    const unsigned char* At(std::int64_t pos, int n) {
        if (pos >= bufferStart_ && pos + n <= bufferStart_ + bufferSize_) {
            return buffer_.get() + (pos - bufferStart_);
        }
        return Fill(pos, n);
    }
    bool Failed() const { return failed_; }

  private:
    const unsigned char* Fill(std::int64_t pos, int n);

    InputFile& in_;
    const std::int64_t end_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::int64_t bufferStart_ = 0;
    std::int64_t bufferSize_ = 0;
    bool failed_ = false;
};

const unsigned char* FrameReader::Fill(std::int64_t pos, int n) {
    const std::int64_t want = std::min(BufferSize, end_ - pos);
    if (failed_ || want < n || !in_.Seek(pos) ||
        in_.Read(buffer_.get(), static_cast<std::size_t>(want)) != static_cast<std::size_t>(want)) {
        failed_ = true;
        return nullptr;
    }
    bufferStart_ = pos;
    bufferSize_ = want;
    return buffer_.get();
}

class TrackScan {
  public:
    TrackScan(InputFile& in, std::int64_t start, std::int64_t end, TrackAudio& track)
        : reader_(in, end), start_(start), end_(end), track_(track) {}
    void Run();

  private:
    // A header at pos that continues the stream (any header before the stream is
    // known), and whether its frame ends by the end of the range.
    bool HeaderAt(std::int64_t pos, MpegFrameHeader& header);
    bool FrameAt(std::int64_t pos, MpegFrameHeader& header) {
        return HeaderAt(pos, header) && pos + header.length <= end_;
    }
    // Whether a frame starts at pos and the next one starts where it ends, or it ends
    // the range.
    bool StreamAt(std::int64_t pos, MpegFrameHeader& header);
    // The first place from `from` on where StreamAt holds; -1 when there is none.
    std::int64_t FindStream(std::int64_t from, MpegFrameHeader& header);
    void ReadInfoFrame(std::int64_t pos, const MpegFrameHeader& header);
    void ReadLameExtension(const unsigned char* extension);
    // Counts the frames from pos on, stepping over junk between them.
    void CountFrames(std::int64_t pos);

    FrameReader reader_;
    const std::int64_t start_;
    const std::int64_t end_;
    TrackAudio& track_;
    bool streamKnown_ = false;
};

bool TrackScan::HeaderAt(std::int64_t pos, MpegFrameHeader& header) {
    if (pos + MpegFrameHeader::Size > end_) {
        return false;
    }
    const unsigned char* p = reader_.At(pos, MpegFrameHeader::Size);
    return p != nullptr && header.Parse(p) &&
           (!streamKnown_ || header.format.Continues(track_.format));
}

bool TrackScan::StreamAt(std::int64_t pos, MpegFrameHeader& header) {
    MpegFrameHeader next;
    if (!FrameAt(pos, header)) {
        return false;
    }
    const std::int64_t after = pos + header.length;
    return after == end_ || (HeaderAt(after, next) && next.format.Continues(header.format));
}

std::int64_t TrackScan::FindStream(std::int64_t from, MpegFrameHeader& header) {
    for (std::int64_t pos = from; pos + MpegFrameHeader::Size <= end_; ++pos) {
        const unsigned char* p = reader_.At(pos, 1);
        if (p == nullptr) {
            return -1;
        }
        if (*p == 0xFF && StreamAt(pos, header)) {
            return pos;
        }
    }
    return -1;
}

void TrackScan::ReadLameExtension(const unsigned char* extension) {
    // Other encoders leave the bytes after a Xing tag empty or fill them otherwise;
    // LAME and FFmpeg's libraries (which write the same fields) name themselves.
    if (std::memcmp(extension, "LAME", 4) != 0 && std::memcmp(extension, "Lav", 3) != 0) {
        return;
    }
    track_.lameExtension = true;
    std::memcpy(track_.encoder.data(), extension, EncoderSize);
    const unsigned char* d = extension + DelayOffset;
    track_.encoderDelay = d[0] << 4 | d[1] >> 4;
    track_.encoderPadding = (d[1] & 0x0F) << 8 | d[2];
}

void TrackScan::ReadInfoFrame(std::int64_t pos, const MpegFrameHeader& header) {
    const int look = std::min(header.length, LongestLook);
    const unsigned char* p = header.format.layer == 3 ? reader_.At(pos, look) : nullptr;
    const int xing = MpegFrameHeader::Size + header.SideInfoSize();
    if (p == nullptr) {
        return;
    }
    if (VbriOffset + 4 <= look && std::memcmp(p + VbriOffset, "VBRI", 4) == 0) {
        track_.infoFrame = InfoFrame::Vbri;
        return;
    }
    if (xing + 8 > look ||
        (std::memcmp(p + xing, "Xing", 4) != 0 && std::memcmp(p + xing, "Info", 4) != 0)) {
        return;
    }
    track_.infoFrame = p[xing] == 'X' ? InfoFrame::Xing : InfoFrame::Info;
    const std::uint32_t flags = ReadUint32BigEndian(p + xing + 4);
    // The fields present follow the flags in order: frames, bytes, table, quality.
    int at = xing + 8 + ((flags & 1u) ? 4 : 0) + ((flags & 2u) ? 4 : 0) + ((flags & 4u) ? 100 : 0);
    if ((flags & 8u) && at + 4 <= look) {
        track_.quality = ReadUint32BigEndian(p + at);
        at += 4;
    }
    if (at + LameExtensionSize <= look) {
        ReadLameExtension(p + at);
    }
}

void TrackScan::CountFrames(std::int64_t pos) {
    MpegFrameHeader header;
    track_.framesStart = pos;
    track_.framesEnd = pos;
    for (;;) {
        while (FrameAt(pos, header)) {
            track_.index.Add(track_.frames, static_cast<std::uint64_t>(pos - track_.framesStart));
            track_.constantBitrate =
                track_.constantBitrate && header.bitrateKbps == track_.bitrateKbps;
            ++track_.frames;
            pos += header.length;
        }
        track_.framesEnd = pos;
        const std::int64_t next = reader_.Failed() ? -1 : FindStream(pos + 1, header);
        if (next < 0) {
            return;
        }
        track_.junkInside += next - pos;
        pos = next;
    }
}

void TrackScan::Run() {
    MpegFrameHeader header;
    std::int64_t first = FindStream(start_, header);
    std::int64_t info = 0;
    if (first >= 0) {
        ReadInfoFrame(first, header);
        if (track_.infoFrame != InfoFrame::None) {
            info = header.length;
            first = FindStream(first + info, header);
        }
    }
    // A track of its info frame alone, or one that has none, has no audio.
    if (first < 0) {
        track_.status =
            reader_.Failed() ? TrackAudio::Status::ReadFailed : TrackAudio::Status::NoFrames;
        return;
    }
    track_.junkBefore = first - start_ - info;
    track_.format = header.format;
    track_.bitrateKbps = header.bitrateKbps;
    streamKnown_ = true;
    CountFrames(first);
    track_.samples = track_.frames * static_cast<std::uint64_t>(track_.format.SamplesPerFrame());
    track_.junkAfter = end_ - track_.framesEnd;
    track_.status = reader_.Failed() ? TrackAudio::Status::ReadFailed : TrackAudio::Status::Ok;
}

}  // namespace

void FrameIndex::AddSample(std::uint64_t offset) {
    if (count_ == Capacity) {
        // Every other sample goes, and the stride doubles: the ones left are those of
        // frames that are multiples of the new stride.
        for (int i = 0; i < Capacity / 2; ++i) {
            offsets_[static_cast<std::size_t>(i)] = offsets_[static_cast<std::size_t>(2 * i)];
        }
        count_ = Capacity / 2;
        stride_ *= 2;
    }
    offsets_[static_cast<std::size_t>(count_++)] = offset;
}

std::uint64_t FrameIndex::OffsetOf(std::uint64_t frame, std::uint64_t frames,
                                   std::uint64_t bytes) const {
    if (count_ == 0 || frame >= frames) {
        return frame == 0 ? 0 : bytes;
    }
    const std::uint64_t below =
        std::min<std::uint64_t>(frame / stride_, static_cast<std::uint64_t>(count_ - 1));
    const std::uint64_t belowFrame = below * stride_;
    const bool last = below + 1 == static_cast<std::uint64_t>(count_);
    const std::uint64_t aboveFrame = last ? frames : belowFrame + stride_;
    const std::uint64_t lo = offsets_[below];
    const std::uint64_t hi = last ? bytes : offsets_[below + 1];
    return lo + (hi - lo) * (frame - belowFrame) / (aboveFrame - belowFrame);
}

TrackAudio ScanTrackAudio(InputFile& in, std::int64_t start, std::int64_t end) {
    TrackAudio track;
    if (start < 0 || end <= start) {
        return track;
    }
    TrackScan(in, start, end, track).Run();
    if (track.status == TrackAudio::Status::ReadFailed) {
        track.error = in.Error();
    }
    return track;
}

}  // namespace brambex
