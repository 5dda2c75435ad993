// Builders for the bytes of test inputs: ID3v2 tags and frames, audio-like filler and
// ID3v1 trailers. Standard C++ only, so that every test executable can use them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

// An ID3v2.4 frame: its size is syncsafe.
inline std::string Frame24(std::string_view id, std::string_view payload,
                           std::string_view flags = std::string_view("\0\0", 2)) {
    return std::string(id) + Syncsafe32(static_cast<std::uint32_t>(payload.size())) +
           std::string(flags) + std::string(payload);
}

// An ID3v2.2 frame: a three-character id and a three-byte size, no flags.
inline std::string Frame22(std::string_view id, std::string_view payload) {
    const auto n = static_cast<std::uint32_t>(payload.size());
    return std::string(id) + BigEndian32(n).substr(1) + std::string(payload);
}

// The bytes with a zero put after every 0xFF, as unsynchronisation stores them.
inline std::string Unsynchronised(std::string_view bytes) {
    std::string stored;
    for (const char c : bytes) {
        stored += c;
        if (static_cast<unsigned char>(c) == 0xFF) {
            stored += '\0';
        }
    }
    return stored;
}

inline std::string Utf16Le(std::u16string_view text) {
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

inline std::string Utf16Be(std::u16string_view text) {
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit >> 8);
        bytes += static_cast<char>(unit & 0xFF);
    }
    return bytes;
}

// An ISO-8859-1 text frame: encoding byte 0 and the text.
inline std::string TextFrame(std::string_view id, std::string_view latin1) {
    return Frame(id, std::string(1, '\0') + std::string(latin1));
}

// A whole tag of declared size `size`: header, the frames, then zero padding.
inline std::string Tag(const std::string& frames, std::uint32_t size) {
    return TagHeader(size) + frames + std::string(size - frames.size(), '\0');
}

// A whole tag whose frames are followed by `padding` zero bytes.
inline std::string PaddedTag(const std::string& frames, std::size_t padding,
                             unsigned char version = 3) {
    return TagHeader(static_cast<std::uint32_t>(frames.size() + padding), 0, version) + frames +
           std::string(padding, '\0');
}

// The tag the codec writes anew for audio that starts at `audioStart` in the input: 1024
// bytes of padding, and as much more as keeps the audio's offset within a block of 4096
// bytes, a memory output's.
inline std::string NewTag(const std::string& frames, std::size_t audioStart) {
    const std::size_t behind = (10 + frames.size() + 1024) % 4096;
    return PaddedTag(frames, 1024 + (audioStart % 4096 + 4096 - behind) % 4096);
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

// Bytes that stand for audio: frame-sync words followed by zeros.
inline std::string FillerAudio(std::size_t size) {
    std::string audio(size, '\0');
    for (std::size_t i = 0; i + 1 < size; i += 417) {
        audio[i] = static_cast<char>(0xFF);
        audio[i + 1] = static_cast<char>(0xFB);
    }
    return audio;
}

// A text cut or zero-filled to a fixed-width trailer field.
inline std::string TrailerField(std::string_view text, std::size_t size) {
    std::string field(text.substr(0, size));
    field.resize(size, '\0');
    return field;
}

// A 128-byte ID3v1.1 trailer; texts longer than their fields are cut.
inline std::string Trailer(std::string_view title, std::string_view artist, std::string_view album,
                           int track, int genre, std::string_view year = {},
                           std::string_view comment = {}) {
    return "TAG" + TrailerField(title, 30) + TrailerField(artist, 30) + TrailerField(album, 30) +
           TrailerField(year, 4) + TrailerField(comment, 28) + '\0' + static_cast<char>(track) +
           static_cast<char>(genre);
}

inline std::string FreshTrailer() {
    return Trailer("", "", "", 0, 255);
}

inline std::string LittleEndian32(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}

// One item of an APE tag; flags 2 marks binary data.
inline std::string ApeItem(std::string_view key, std::string_view value, std::uint32_t flags = 0) {
    return LittleEndian32(static_cast<std::uint32_t>(value.size())) + LittleEndian32(flags) +
           std::string(key) + '\0' + std::string(value);
}

// An APE tag of `count` items as mutagen writes it: a header (version 2000 only) and a
// footer that both give the size of items and footer.
inline std::string ApeTagOf(const std::string& items, std::uint32_t count, bool header = true,
                            std::uint32_t version = 2000) {
    const auto frame = [&](std::uint32_t flags) {
        return "APETAGEX" + LittleEndian32(version) +
               LittleEndian32(static_cast<std::uint32_t>(items.size() + 32)) +
               LittleEndian32(count) + LittleEndian32(flags) + std::string(8, '\0');
    };
    return (header ? frame(0xA0000000u) : std::string()) + items + frame(header ? 0x80000000u : 0u);
}

}  // namespace brambex::testing
