#include "app/demo_media.h"

#include <cstdint>

#include "tags/text_encoding.h"

namespace brambex {

namespace {

void PutBigEndian32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutSyncsafe32(std::string& out, std::uint32_t value) {
    for (int shift = 21; shift >= 0; shift -= 7)
        out.push_back(static_cast<char>((value >> shift) & 0x7F));
}

void PutUtf16Le(std::string& out, char32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>((unit >> 8) & 0xFF));
}

std::string FixedField(std::string_view text, std::size_t size) {
    std::string field(text.substr(0, size));
    field.resize(size, '\0');
    return field;
}

}  // namespace

std::string SilentMp3Audio(int frames) {
    // Header: sync, MPEG-1, Layer III, no CRC; 128 kbit/s, 44.1 kHz, no padding; mono,
    // original. The 17 bytes of side information and the main data are all zero: every
    // granule has no bits, which decodes as silence.
    constexpr unsigned char Header[4] = {0xFF, 0xFB, 0x90, 0xC4};
    constexpr std::size_t FrameBytes = 417;
    std::string frame(FrameBytes, '\0');
    for (std::size_t i = 0; i < 4; ++i)
        frame[i] = static_cast<char>(Header[i]);
    std::string audio;
    audio.reserve(FrameBytes * static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
        audio += frame;
    return audio;
}

std::string TinyJpeg() {
    static constexpr unsigned char Bytes[] = {
        0xFF, 0xD8,                                                    // start of image
        0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01, 0x01,  // JFIF 1.1
        0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00,                      // aspect 1:1, no thumb
        0xFF, 0xDB, 0x00, 0x43, 0x00,  // quantisation table 0, 64 entries follow (all 1)
        1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
        1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
        1, 1,
        // baseline frame: 8 bits, 8 x 8, one component (id 1, 1x1 sampling, table 0)
        0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00,
        // DC table 0: one code of length 1 for category 9
        0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x09,
        // AC table 0: one code of length 1 for end-of-block
        0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00,
        // start of scan: component 1 with tables 0/0, spectral 0..63
        0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00,
        // DC code 0, category-9 bits 001101111 (-400: grey level 78), EOB code 0, then
        // one-bits to the byte's end
        0x1B, 0xDF, 0xFF, 0xD9,  // end of image
    };
    return std::string(reinterpret_cast<const char*>(Bytes), sizeof Bytes);
}

std::string Utf8ToUtf16WithBom(std::string_view utf8) {
    std::string out;
    PutUtf16Le(out, 0xFEFF);
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t c = DecodeUtf8(utf8, pos);
        if (c >= 0x10000) {
            c -= 0x10000;
            PutUtf16Le(out, 0xD800 + (c >> 10));
            PutUtf16Le(out, 0xDC00 + (c & 0x3FF));
        } else {
            PutUtf16Le(out, c);
        }
    }
    return out;
}

std::string Id3v2Tag(const std::vector<DemoFrame>& frames, int padding) {
    std::string body;
    for (const DemoFrame& frame : frames) {
        std::string payload;
        if (frame.utf16) {
            payload.push_back('\x01');
            payload += Utf8ToUtf16WithBom(frame.text);
        } else {
            payload.push_back('\x00');
            payload += Utf8ToLatin1(frame.text);
        }
        body += frame.id.substr(0, 4);
        PutBigEndian32(body, static_cast<std::uint32_t>(payload.size()));
        body += std::string(2, '\0');
        body += payload;
    }
    body.append(static_cast<std::size_t>(padding), '\0');
    std::string tag = "ID3";
    tag += std::string("\x03\x00\x00", 3);
    PutSyncsafe32(tag, static_cast<std::uint32_t>(body.size()));
    return tag + body;
}

std::string Id3v1Trailer(std::string_view title, std::string_view artist, std::string_view album,
                         int track, int genre) {
    std::string trailer = "TAG";
    trailer += FixedField(title, 30);
    trailer += FixedField(artist, 30);
    trailer += FixedField(album, 30);
    trailer += FixedField("2026", 4);
    trailer += FixedField("Brambex demo", 28);
    trailer.push_back('\0');  // ID3v1.1: a zero byte before the track number
    trailer.push_back(static_cast<char>(track & 0xFF));
    trailer.push_back(static_cast<char>(genre & 0xFF));
    return trailer;
}

}  // namespace brambex
