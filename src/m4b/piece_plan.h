// How one book's audio is cut for encoding in parallel, and where its chapters start,
// all in samples of the output's rate. Nothing here reads or encodes anything.
//
// The AAC encoder delays its output by one frame (1024 samples): packet g of the book's
// stream decodes to its input's samples [(g - 1) * 1024, g * 1024), and its block
// spans the input's [(g - 1) * 1024, (g + 1) * 1024). The stream is cut into pieces of
// whole packets, one per job, each starting at the packet that holds a track's first
// sample. A job feeds its encoder from a few frames before its first packet (the
// pre-roll, which warms up the encoder's window decisions on the same audio the job
// before it saw) to one frame past its last packet's block, and keeps only its own
// packets: joined, they decode as one encoder's stream would, without gap or click.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace brambex {

constexpr std::uint64_t AacFrame = 1024;
// The samples the encoder puts before the book's first one, which players trim.
constexpr std::uint64_t AacEncoderDelay = AacFrame;
// Frames fed before a piece's first packet, and past its last packet's block.
constexpr std::uint64_t PreRollFrames = 3;
constexpr std::uint64_t LookAheadFrames = 1;

struct Piece {
    // [firstPacket, endPacket): the book's packets this piece keeps.
    std::uint64_t firstPacket = 0;
    std::uint64_t endPacket = 0;
    // [feedStart, feedEnd): the book's input samples its encoder is fed.
    std::uint64_t feedStart = 0;
    std::uint64_t feedEnd = 0;
    // The encoder's packets to drop before the first kept one.
    std::uint64_t droppedPackets = 0;
    // [firstTrack, endTrack): the tracks whose samples it is fed.
    std::size_t firstTrack = 0;
    std::size_t endTrack = 0;
};

struct PiecePlan {
    std::vector<Piece> pieces;
    // Where each track starts in the book's samples (its chapter's start), and the
    // book's length.
    std::vector<std::uint64_t> trackStarts;
    std::uint64_t samples = 0;
};

// Cuts a book of tracks of these lengths (in samples, none empty) into at most `jobs`
// pieces of about equal length, each starting at the packet of a track's first sample.
PiecePlan PlanPieces(std::span<const std::uint64_t> trackSamples, int jobs);

// The packets of the whole book's stream as one encoder gives them: its delay, every
// sample, then the padding up to the last whole frame.
std::uint64_t BookPackets(std::uint64_t samples);
// The samples of silence after the book's last one in its last packet.
std::uint64_t BookPadding(std::uint64_t samples);

}  // namespace brambex
