// The Xing/Info frame that opens a joined book's audio: an MPEG frame that decoders
// play as silence and read as the book's frame and byte counts, a seek table by
// percent of the playing time, and LAME's extension with the encoder delay to skip at
// the start and the padding to drop at the end.
//
// A writer of a joined book scans each track (ScanTrackAudio), joins the scans, and
// writes the frame in front of the tracks' audio frames:
//
//     const BookAudio book = JoinTrackAudio(tracks);
//     if (book.status != BookAudio::Status::Ok) { ... name tracks[book.track] ... }
//     const std::vector<unsigned char> frame = BookXingFrame(book, tracks);
//     // the tag, its chapters at TrackStartsMs(book, tracks) (book_audio.h), the
//     // frame, then each track's [framesStart, framesEnd) in order, then the trailer
//
// The frame counts "Info" when every frame of the book has one bitrate and "Xing"
// otherwise. Its byte count covers the frame itself and every audio frame, as LAME
// counts it. A book past 4 GiB has no byte count nor seek table (decoders then measure
// the file). The music CRC (a CRC-16 of the audio frames) is left 0, as the audio is
// copied without being read; decoders do not check it. The tag CRC is LAME's: CRC-16
// of the frame's bytes before it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "tags/book_audio.h"
#include "tags/mpeg_frame.h"
#include "tags/mpeg_track.h"

namespace brambex {

// What a Xing/Info frame says.
struct XingFields {
    MpegFormat format;
    // The frame header's bitrate (XingFrameBitrate).
    int bitrateKbps = 0;
    bool constantBitrate = true;
    // The audio's bitrate when it is constant, for LAME's field of it: a low one's
    // frames are too small for the tag, and this frame's bitrate is then higher.
    int streamKbps = 0;
    // The audio frames after this one; the bytes of this frame and of them.
    std::uint64_t frames = 0;
    std::uint64_t bytes = 0;
    // At each percent of the playing time, the position in the audio (this frame's
    // first byte being 0) in 256ths of `bytes`.
    std::array<std::uint8_t, 100> toc{};
    std::uint32_t quality = 0;
    // 12 bits each; larger values are cut to 4095.
    int encoderDelay = 0;
    int encoderPadding = 0;
    std::array<char, 9> encoder{};
    std::uint16_t musicCrc = 0;
};

// The bitrate of a Xing frame for audio of this format: a constant-bitrate stream's
// own (streamKbps) when a frame of it holds the tag, so that the book keeps one frame
// size; otherwise the lowest that holds it. 0 when the format is not layer III, which
// has no Xing frame.
int XingFrameBitrate(const MpegFormat& format, int streamKbps);
// The seek table of the tracks' audio frames in order behind a Xing frame of
// xingLength bytes.
std::array<std::uint8_t, 100> BookToc(std::span<const TrackAudio> tracks, std::uint64_t xingLength);
// The whole frame; its length is the frame length of its format and bitrate.
std::vector<unsigned char> RenderXingFrame(const XingFields& fields);
// The frame for a joined book: the pieces above together. Empty when the book's
// format has no Xing frame.
std::vector<unsigned char> BookXingFrame(const BookAudio& book, std::span<const TrackAudio> tracks);

// CRC-16 as LAME computes its tag CRC (polynomial 0x8005, reflected, starting at 0).
std::uint16_t Crc16(const unsigned char* data, std::size_t n, std::uint16_t crc = 0);

}  // namespace brambex
