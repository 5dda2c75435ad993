// The MPEG audio frames of one track, as a joined book needs them: where they lie,
// how many there are, how much they play, and a small index of where its frames start.
//
// ScanTrackAudio reads the byte range that the tag codec found for the audio (after
// the ID3v2 tag, before an APE tag, a Lyrics3v2 block and the ID3v1 trailer). It finds
// the first frame whose successor follows where its length says, leaves out a leading
// Xing, Info or VBRI frame (the book gets one of its own) and keeps the encoder delay
// and padding of a LAME extension, then jumps from header to header to the last whole
// frame. Bytes before the first frame and after the last are left out and counted;
// bytes between frames where the stream loses step stay in (a copy of one contiguous
// range carries them, and decoders step over them) and are counted too.
//
// The scan looks only at the headers: in place, through a window of the file mapped
// into memory, so that the audio between them is never copied (where the system maps
// nothing, through one 64 KiB buffer read from the file). It allocates nothing per
// frame; what it keeps of a track is a fixed size (TrackAudio, about 1 KiB), so that a
// book of thousands of tracks is summed in little memory.
#pragma once

#include <array>
#include <cstdint>
#include <system_error>

#include "platform/file_stream.h"
#include "tags/mpeg_frame.h"

namespace brambex {

// Where the frames of a track start, at every stride-th frame: the stride doubles
// whenever the index is full, so it stays a fixed size however long the track.
class FrameIndex {
  public:
    static constexpr int Capacity = 128;

    void Clear() { count_ = 0, stride_ = 1; }
    // Called for every frame in order, the first frame being 0; offset counts from the
    // first frame's first byte.
    void Add(std::uint64_t frame, std::uint64_t offset) {
        if ((frame & (stride_ - 1)) == 0) {
            AddSample(offset);
        }
    }
    // Where frame `frame` of a track of `frames` frames and `bytes` bytes starts,
    // between the two nearest indexed frames in proportion.
    std::uint64_t OffsetOf(std::uint64_t frame, std::uint64_t frames, std::uint64_t bytes) const;

  private:
    void AddSample(std::uint64_t offset);

    std::array<std::uint64_t, Capacity> offsets_{};
    std::uint64_t stride_ = 1;
    int count_ = 0;
};

// A Xing, Info or VBRI frame in front of a track's audio frames.
enum class InfoFrame : std::uint8_t { None, Xing, Info, Vbri };

struct TrackAudio {
    enum class Status : std::uint8_t { Ok, NoFrames, ReadFailed };
    Status status = Status::NoFrames;
    // Why a read failed; none when the file ended before the range did.
    std::error_code error;

    // The first audio frame's; the others share its version, layer and sample rate.
    MpegFormat format;
    // [framesStart, framesEnd): the audio frames, in the file's offsets; the range to copy.
    std::int64_t framesStart = 0;
    std::int64_t framesEnd = 0;
    std::uint64_t frames = 0;
    std::uint64_t samples = 0;
    // The first frame's bitrate, and whether every frame has it.
    int bitrateKbps = 0;
    bool constantBitrate = true;

    InfoFrame infoFrame = InfoFrame::None;
    // From the info frame's LAME extension: 0 when it has none.
    int encoderDelay = 0;
    int encoderPadding = 0;
    bool lameExtension = false;
    // Its encoder ("LAME3.100"), zero-filled; its quality field (0 when none).
    std::array<char, 9> encoder{};
    std::uint32_t quality = 0;

    // Bytes left out before the first frame (an info frame not counted) and after the
    // last, and bytes kept between frames where the stream lost step.
    std::int64_t junkBefore = 0;
    std::int64_t junkAfter = 0;
    std::int64_t junkInside = 0;

    FrameIndex index;

    bool Ok() const { return status == Status::Ok; }
    // Whether its frames were counted: a track with audio has at least one.
    bool Counted() const { return frames > 0; }
    std::uint64_t Bytes() const { return static_cast<std::uint64_t>(framesEnd - framesStart); }
};

// Scans the audio frames in [start, end) of the input (see above): ScanTrackStart,
// then ScanTrackFrames.
TrackAudio ScanTrackAudio(InputFile& in, std::int64_t start, std::int64_t end);
// The start of the audio alone: the first frame's format and bitrate, the info frame
// and its LAME fields, and where the frames start, which tell whether the track joins
// a book. Its frames are not counted yet (Counted() is false).
TrackAudio ScanTrackStart(InputFile& in, std::int64_t start, std::int64_t end);
// Counts the frames of a track whose start was scanned, up to the end of its range.
void ScanTrackFrames(InputFile& in, std::int64_t end, TrackAudio& track);

}  // namespace brambex
