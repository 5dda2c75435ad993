// One piece of the book encoded as AAC-LC (m4b/piece_plan.h): its tracks decoded in
// order, the samples it is fed cut from them, and the packets it keeps written to its
// spool file, their sizes to a file of their own (as the movie's table holds them) and
// counted.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "m4b/m4b_movie.h"
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
    std::FILE* sizes = nullptr;  // each packet's size, big-endian in four bytes
    // Samples fed so far, added to as they are; the piece stops when `stop` is set.
    std::atomic<std::uint64_t>* fed = nullptr;
    const std::atomic<bool>* stop = nullptr;
};

struct PieceOutcome {
    enum class Kind { Encoded, Undecodable, EncodeFailed, WriteFailed, Stopped };
    Kind kind = Kind::Encoded;
    std::size_t track = 0;
    std::string detail;
    PacketTally packets;
    // The encoder's AudioSpecificConfig.
    std::string config;
};

PieceOutcome EncodePiece(const PieceJob& job);

}  // namespace brambex
