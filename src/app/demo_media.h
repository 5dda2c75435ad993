// The bytes of the demo set's files, made here rather than taken from anywhere: MPEG-1
// Layer III frames of silence, a tiny baseline JPEG picture, ID3v2.3 tags with
// ISO-8859-1 or UTF-16 texts, and ID3v1.1 trailers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brambex {

// Silent audio: `frames` MPEG-1 Layer III frames (mono, 44.1 kHz, 128 kbit/s, 417
// bytes each), about 26 ms per frame.
std::string SilentMp3Audio(int frames);

// An 8 x 8 dark grey baseline JPEG picture.
std::string TinyJpeg();

struct DemoFrame {
    std::string id;
    std::string text;  // UTF-8
    bool utf16 = false;
};

// An ID3v2.3 tag holding the text frames, followed by `padding` zero bytes.
std::string Id3v2Tag(const std::vector<DemoFrame>& frames, int padding);

// An ID3v1.1 trailer; the texts must be ISO-8859-1 compatible ASCII.
std::string Id3v1Trailer(std::string_view title, std::string_view artist, std::string_view album,
                         int track, int genre);

// UTF-16 little endian with a byte-order mark.
std::string Utf8ToUtf16WithBom(std::string_view utf8);

}  // namespace brambex
