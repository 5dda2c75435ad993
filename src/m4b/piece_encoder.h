// One piece of the book encoded as AAC-LC (m4b/piece_plan.h): its tracks decoded in
// order, the samples it is fed cut from them, and the packets it keeps written to its
// spool file, their sizes kept.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "m4b/piece_plan.h"

namespace brambex {

struct BookFormat {
    int sampleRate = 0;
    int channels = 0;
    int bitrateKbps = 0;
};

struct PieceJob {
    const Piece* piece = nullptr;
    std::span<const std::string> trackPaths;
    std::span<const std::uint64_t> trackStarts;  // in the book's samples
    std::span<const std::uint64_t> trackSamples;
    BookFormat format;
    std::FILE* spool = nullptr;
    // Samples fed so far, added to as they are; the piece stops when `stop` is set.
    std::atomic<std::uint64_t>* fed = nullptr;
    const std::atomic<bool>* stop = nullptr;
};

struct PieceOutcome {
    enum class Kind { Encoded, Undecodable, EncodeFailed, WriteFailed, Stopped };
    Kind kind = Kind::Encoded;
    std::size_t track = 0;
    std::string detail;
    std::vector<std::uint32_t> packetSizes;
    // The encoder's AudioSpecificConfig.
    std::string config;
};

PieceOutcome EncodePiece(const PieceJob& job);

}  // namespace brambex
