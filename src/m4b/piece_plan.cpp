#include "m4b/piece_plan.h"

#include <algorithm>

namespace brambex {

namespace {

// The packet whose decoded frame holds input sample `sample`.
std::uint64_t PacketOf(std::uint64_t sample) {
    return sample / AacFrame + 1;
}

// The packets where pieces start: the packet of the track start nearest to each equal
// share of the book, each after the one before it.
std::vector<std::uint64_t> PieceStarts(std::span<const std::uint64_t> starts, std::uint64_t samples,
                                       std::size_t jobs) {
    std::vector<std::uint64_t> firstPackets{0};
    for (std::size_t k = 1; k < jobs; ++k) {
        const std::uint64_t share = samples / jobs * k;
        std::uint64_t best = 0;
        for (std::uint64_t start : starts) {
            const auto distance = [share](std::uint64_t s) {
                return s > share ? s - share : share - s;
            };
            if (start > 0 && (best == 0 || distance(start) < distance(best)))
                best = start;
        }
        if (best > 0 && PacketOf(best) > firstPackets.back())
            firstPackets.push_back(PacketOf(best));
    }
    return firstPackets;
}

// The tracks holding any of [from, to).
void TracksFed(std::span<const std::uint64_t> starts, std::uint64_t samples, Piece& piece) {
    const auto after = [&](std::uint64_t at) {
        return static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), at) -
                                        starts.begin());
    };
    piece.firstTrack = after(piece.feedStart) - 1;
    piece.endTrack = piece.feedEnd >= samples ? starts.size() : after(piece.feedEnd - 1);
}

}  // namespace

std::uint64_t BookPackets(std::uint64_t samples) {
    return (AacEncoderDelay + samples + AacFrame - 1) / AacFrame;
}

std::uint64_t BookPadding(std::uint64_t samples) {
    return BookPackets(samples) * AacFrame - AacEncoderDelay - samples;
}

PiecePlan PlanPieces(std::span<const std::uint64_t> trackSamples, int jobs) {
    PiecePlan plan;
    for (std::uint64_t length : trackSamples) {
        plan.trackStarts.push_back(plan.samples);
        plan.samples += length;
    }
    if (trackSamples.empty())
        return plan;
    const std::vector<std::uint64_t> firstPackets =
        PieceStarts(plan.trackStarts, plan.samples, static_cast<std::size_t>(std::max(jobs, 1)));
    for (std::size_t p = 0; p < firstPackets.size(); ++p) {
        Piece piece;
        piece.firstPacket = firstPackets[p];
        const std::uint64_t fedFrom =
            piece.firstPacket > PreRollFrames ? piece.firstPacket - PreRollFrames : 0;
        piece.feedStart = fedFrom * AacFrame;
        piece.droppedPackets = piece.firstPacket - fedFrom;
        piece.feedEnd = plan.samples;
        piece.endPacket = BookPackets(plan.samples);
        if (p + 1 < firstPackets.size()) {
            piece.endPacket = firstPackets[p + 1];
            piece.feedEnd = std::min(plan.samples, (piece.endPacket + LookAheadFrames) * AacFrame);
        }
        TracksFed(plan.trackStarts, plan.samples, piece);
        plan.pieces.push_back(piece);
    }
    return plan;
}

}  // namespace brambex
