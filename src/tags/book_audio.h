// A book joined into one MP3 file, as its tracks' scans add up: its format, frame and
// byte counts, its gapless fields, and where each track starts in its playing time
// (the chapters' times).
//
// Decoders that read the book's LAME extension skip the first track's encoder delay
// at the start and drop the last track's padding at the end; between tracks, each
// track's own delay and padding play as they did in the track alone.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "tags/mpeg_frame.h"
#include "tags/mpeg_track.h"

namespace brambex {

// The audio of a whole book, summed from its tracks in order.
struct BookAudio {
    // Unusable: tracks[track] has no audio frames or could not be read; Differs: its
    // frames are of another version, layer or sample rate than the first track's.
    enum class Status : std::uint8_t { Ok, NoTracks, Unusable, Differs };
    Status status = Status::NoTracks;
    std::size_t track = 0;

    MpegFormat format;
    std::uint64_t frames = 0;
    std::uint64_t bytes = 0;  // the audio frames', without the Xing frame
    std::uint64_t samples = 0;
    int bitrateKbps = 0;
    bool constantBitrate = true;
    // The first track's delay and the last track's padding; the encoder and quality of
    // the first track with a LAME extension.
    int encoderDelay = 0;
    int encoderPadding = 0;
    std::array<char, 9> encoder{};
    std::uint32_t quality = 0;
};

BookAudio JoinTrackAudio(std::span<const TrackAudio> tracks);

// Where each track starts in the book's playing time, in milliseconds: the samples of
// the tracks before it, less the first track's encoder delay; the first starts at 0.
// (Decoders skip the delay and their own 529 samples, but their output lags the frames
// by those 529 samples too, so only the encoder delay moves a track's start.) A track
// starts with its own encoder delay, after the padding of the track before it.
std::vector<std::uint32_t> TrackStartsMs(const BookAudio& book, std::span<const TrackAudio> tracks);
// The book's playing time in milliseconds: its samples less the delay and padding.
std::uint32_t BookLengthMs(const BookAudio& book);

}  // namespace brambex
