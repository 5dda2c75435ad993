// Builders for the bytes of test inputs: ID3v2 tags, frames, audio and ID3v1 trailers,
// plus a helper that runs a pass over memory and captures the diagnostics.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "tags/file_stream.h"
#include "tags/mp3.h"

namespace brambex::testing {

inline std::string BigEndian32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

inline std::string Syncsafe32(std::uint32_t v) {
    return {static_cast<char>((v >> 21) & 0x7F), static_cast<char>((v >> 14) & 0x7F),
            static_cast<char>((v >> 7) & 0x7F), static_cast<char>(v & 0x7F)};
}

// A tag header declaring `size` bytes of frames and padding.
inline std::string TagHeader(std::uint32_t size, unsigned char flags = 0,
                             unsigned char version = 3) {
    return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
           Syncsafe32(size);
}

inline std::string Frame(std::string_view id, std::string_view payload,
                         std::string_view flags = std::string_view("\0\0", 2)) {
    return std::string(id) + BigEndian32(static_cast<std::uint32_t>(payload.size())) +
           std::string(flags) + std::string(payload);
}

// An ISO-8859-1 text frame: encoding byte 0 and the text.
inline std::string TextFrame(std::string_view id, std::string_view latin1) {
    return Frame(id, std::string(1, '\0') + std::string(latin1));
}

// A whole tag: header, the frames, then zero padding up to `size`.
inline std::string Tag(const std::string& frames, std::uint32_t size) {
    return TagHeader(size) + frames + std::string(size - frames.size(), '\0');
}

// Audio-like bytes that never contain "TAG" and differ from block to block.
inline std::string Audio(std::size_t n, unsigned seed = 1) {
    std::string bytes(n, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<char>(0x80 | ((state >> 16) & 0x7F));
    }
    return bytes;
}

inline std::string Trailer(std::string_view title, std::string_view artist, std::string_view album,
                           int track, int genre) {
    std::string t(128, '\0');
    t.replace(0, 3, "TAG");
    t.replace(3, title.size(), title);
    t.replace(33, artist.size(), artist);
    t.replace(63, album.size(), album);
    t[126] = static_cast<char>(track);
    t[127] = static_cast<char>(genre);
    return t;
}

inline std::string FreshTrailer() {
    return Trailer("", "", "", 0, 255);
}

// Byte-for-byte comparison that names the first difference instead of dumping both.
inline ::testing::AssertionResult SameBytes(const std::string& actual,
                                            const std::string& expected) {
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) {
        ++i;
    }
    auto byteAt = [](const std::string& s, std::size_t k) {
        return k < s.size() ? std::to_string(static_cast<unsigned char>(s[k])) : std::string("end");
    };
    return ::testing::AssertionFailure()
           << "sizes " << actual.size() << " and " << expected.size()
           << ", first difference at offset " << i << ": " << byteAt(actual, i) << " instead of "
           << byteAt(expected, i);
}

struct PassResult {
    std::string output;
    std::string diagnostics;
    bool headerRead = false;
    bool audioCopied = false;
    bool trailerWritten = false;
};

// What a rewrite pass does besides copying: `onFrame` is called for every frame the
// walk yields and returns whether to write it; `addFrames` runs before FinishTag,
// `editTrailer` after CopyAudio.
struct PassSteps {
    std::function<bool(MP3&)> onFrame = {};
    std::function<void(MP3&, OutputFile&)> addFrames = {};
    std::function<void(MP3&)> editTrailer = {};
    std::size_t outputLimit = static_cast<std::size_t>(-1);
};

// Runs a rewrite pass over `input` in memory.
PassResult RewriteInMemory(const std::string& input, const PassSteps& steps = {});

}  // namespace brambex::testing
