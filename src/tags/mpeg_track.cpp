#include "tags/mpeg_track.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

#include "platform/mapped_file.h"
#include "tags/byte_order.h"

namespace brambex {

namespace {

constexpr std::int64_t BufferSize = 64 * 1024;
// A mapped window costs no copy, and a larger one fewer mappings; its pages count in
// the program's memory while it is mapped, so it stays small.
constexpr std::int64_t WindowSize = 1 << 20;
// How many frames ahead the scan asks for the header it will look at.
constexpr int LookAheadFrames = 8;
// The most bytes looked at in one place: an info frame's fields and LAME extension.
constexpr int LongestLook = 256;

constexpr int VbriOffset = 4 + 32;
constexpr int LameExtensionSize = 36;
// In the LAME extension: the encoder, the 12-bit delay and padding.
constexpr int EncoderSize = 9;
constexpr int DelayOffset = 21;

// A fault in a mapped window leaves the scan wherever it was (platform/mapped_file.h):
// what it holds on the way must need no undoing.
static_assert(std::is_trivially_destructible_v<MpegFrameHeader>);

// The bytes of [start, end) of the input, forwards: looked at in place through a
// mapped window where the input is a file the system maps, else read through one
// buffer. Only the frame headers are looked at, so a mapped track is never copied.
class FrameReader {
  public:
    FrameReader(InputFile& in, std::int64_t end, bool map) : in_(in), end_(end), map_(map) {}
    // The n bytes at pos, which the caller knows to lie before the end; null once a
    // read has failed.
    const unsigned char* At(std::int64_t pos, int n) {
        if (pos >= windowStart_ && pos + n <= windowStart_ + windowSize_) {
            return window_ + (pos - windowStart_);
        }
        return Fill(pos, n);
    }
    bool Failed() const { return failed_; }
    // Asks the processor for the bytes at pos ahead of the look at them: in a mapped
    // window each header is the first touch of its part of memory.
    void LookAhead(std::int64_t pos) const {
#if defined(__GNUC__)
        if (pos >= windowStart_ && pos < windowStart_ + windowSize_) {
            __builtin_prefetch(window_ + (pos - windowStart_));
        }
#else
        (void)pos;
#endif
    }

  private:
    const unsigned char* Fill(std::int64_t pos, int n);

    InputFile& in_;
    const std::int64_t end_;
    bool map_;
    platform::MappedFile mapped_;
    std::unique_ptr<unsigned char[]> buffer_;
    const unsigned char* window_ = nullptr;
    std::int64_t windowStart_ = 0;
    std::int64_t windowSize_ = 0;
    bool failed_ = false;
};

const unsigned char* FrameReader::Fill(std::int64_t pos, int n) {
    const std::int64_t want = std::min(map_ ? WindowSize : BufferSize, end_ - pos);
    if (failed_ || want < n) {
        failed_ = true;
        return nullptr;
    }
    if (map_ && mapped_.Map(in_.NativeHandle(), pos, want)) {
        window_ = mapped_.Data();
    } else {
        // Where the system maps nothing, every window is read.
        map_ = false;
        const std::int64_t size = std::min(BufferSize, want);
        if (!buffer_) {
            buffer_ = std::make_unique<unsigned char[]>(BufferSize);
        }
        if (size < n || !in_.Seek(pos) ||
            in_.Read(buffer_.get(), static_cast<std::size_t>(size)) !=
                static_cast<std::size_t>(size)) {
            failed_ = true;
            return nullptr;
        }
        window_ = buffer_.get();
        windowSize_ = size;
        windowStart_ = pos;
        return window_;
    }
    windowStart_ = pos;
    windowSize_ = want;
    return window_;
}

class TrackScan {
  public:
    TrackScan(InputFile& in, std::int64_t start, std::int64_t end, bool map, TrackAudio& track)
        : reader_(in, end, map), start_(start), end_(end), track_(track) {}
    // The first audio frame after any info frame (ScanTrackStart).
    void Start();
    // The frames from the first on (ScanTrackFrames).
    void Count();

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
            reader_.LookAhead(pos + LookAheadFrames * header.length);
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

void TrackScan::Start() {
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
    track_.framesStart = first;
    track_.framesEnd = first;
    track_.status = TrackAudio::Status::Ok;
}

void TrackScan::Count() {
    streamKnown_ = true;
    track_.frames = 0;
    track_.junkInside = 0;
    track_.constantBitrate = true;
    track_.index.Clear();
    CountFrames(track_.framesStart);
    track_.samples = track_.frames * static_cast<std::uint64_t>(track_.format.SamplesPerFrame());
    track_.junkAfter = end_ - track_.framesEnd;
    track_.status = reader_.Failed() ? TrackAudio::Status::ReadFailed : TrackAudio::Status::Ok;
}

// Runs one step of the scan; a fault in a mapped window (the file shrank under it, or
// its disk failed) fails the read.
void Guarded(InputFile& in, std::int64_t start, std::int64_t end, TrackAudio& track,
             void (*step)(void* scan)) {
    // A range within the file is looked at in place; one past its end is read, and
    // found short.
    const bool map = in.NativeHandle() != platform::native_file::None && end <= in.Size();
    TrackScan scan(in, start, end, map, track);
    if (!platform::ReadMapped(step, &scan)) {
        track.status = TrackAudio::Status::ReadFailed;
        track.error =
            in.Size() < end ? std::error_code() : std::make_error_code(std::errc::io_error);
    } else if (track.status == TrackAudio::Status::ReadFailed) {
        track.error = in.Error();
    }
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

TrackAudio ScanTrackStart(InputFile& in, std::int64_t start, std::int64_t end) {
    TrackAudio track;
    if (start >= 0 && end > start) {
        Guarded(in, start, end, track, [](void* scan) { static_cast<TrackScan*>(scan)->Start(); });
    }
    return track;
}

void ScanTrackFrames(InputFile& in, std::int64_t end, TrackAudio& track) {
    if (track.Ok() && end > track.framesStart) {
        Guarded(in, track.framesStart, end, track,
                [](void* scan) { static_cast<TrackScan*>(scan)->Count(); });
    }
}

TrackAudio ScanTrackAudio(InputFile& in, std::int64_t start, std::int64_t end) {
    TrackAudio track = ScanTrackStart(in, start, end);
    ScanTrackFrames(in, end, track);
    return track;
}

}  // namespace brambex
