// MPEG audio frames built as bytes, for the tests of the frame scan and the Xing frame.
#pragma once

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "platform/file_stream.h"
#include "support/temp_tree.h"
#include "tags/mpeg_track.h"

namespace brambex::testing {

inline std::string HeaderBytes(std::uint32_t h) {
    return {static_cast<char>(h >> 24), static_cast<char>(h >> 16), static_cast<char>(h >> 8),
            static_cast<char>(h)};
}

// A whole frame: the header, then bytes that hold no frame sync.
inline std::string Frame(std::uint32_t h) {
    MpegFrameHeader header;
    const std::string bytes = HeaderBytes(h);
    EXPECT_TRUE(header.Parse(reinterpret_cast<const unsigned char*>(bytes.data())));
    return bytes + std::string(static_cast<std::size_t>(header.length) - 4, '\x11');
}

constexpr std::uint32_t Cbr128 = 0xFFFB9064;  // MPEG 1 layer III, 128 kbit/s, 44.1 kHz: 417
constexpr std::uint32_t Vbr160 = 0xFFFBA064;  // the same at 160 kbit/s: 522

inline std::string Frames(int n, std::uint32_t h = Cbr128) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        s += Frame(h);
    }
    return s;
}

// An info frame of lame's layout: the tag after 32 bytes of side information, then the
// LAME extension 120 bytes on.
inline std::string LameInfoFrame(const char* id, int delay, int padding) {
    std::string f = Frame(Cbr128);
    f.replace(36, 8, std::string(id) + std::string("\0\0\0\x0F", 4));
    f.replace(36 + 120, 9, "LAME3.100");
    f[36 + 141] = static_cast<char>(delay >> 4);
    f[36 + 142] = static_cast<char>((delay & 15) << 4 | padding >> 8);
    f[36 + 143] = static_cast<char>(padding & 0xFF);
    return f;
}

inline TrackAudio Scan(const std::string& bytes, std::int64_t start = 0, std::int64_t end = -1) {
    InputFile in;
    in.OpenMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return ScanTrackAudio(in, start, end < 0 ? static_cast<std::int64_t>(bytes.size()) : end);
}

// The same bytes scanned from a file in the folder, which the system maps.
inline TrackAudio ScanFile(const TempTree& folder, const std::string& bytes, std::int64_t start = 0,
                           std::int64_t end = -1) {
    InputFile in;
    EXPECT_TRUE(in.Open(folder.File("track.mp3", bytes)));
    return ScanTrackAudio(in, start, end < 0 ? static_cast<std::int64_t>(bytes.size()) : end);
}

}  // namespace brambex::testing
