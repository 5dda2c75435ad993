// One pass of one MP3 file from an input stream to an output stream, rewriting its
// ID3v2.3 tag frame by frame and its ID3v1 trailer on the way.
//
// Rewrite pass: ReadHeader(in, &out); while NextFrame(in): IsFrame / FrameText /
// SetFrameText, then WriteFrame(out); AddFrame for each new frame; FinishTag(in, out);
// CopyAudio(in, &out); SetTrailer; WriteTrailer(out).
// Reading pass: ReadHeader(in, nullptr); NextFrame / IsFrame / FrameText; CopyAudio(in,
// nullptr); the trailer accessors.
//
// Texts are UTF-8 inside the program; the codec converts to and from the encodings on
// disk. Diagnostics go to the standard error stream, one line each.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tags/file_stream.h"

namespace brambex {

// ID3v2 text encodings; the values are the bytes on disk.
enum class TextEncoding : std::uint8_t { Latin1 = 0, Utf16 = 1 };

class MP3 {
public:
    static constexpr int MaxPayload = 1024;
    static constexpr int TrailerSize = 128;
    static constexpr int TrailerFieldSize = 30;

    MP3();
    MP3(const MP3&) = delete;
    MP3& operator=(const MP3&) = delete;

    bool ReadHeader(InputFile& in, OutputFile* out);
    bool NextFrame(InputFile& in);
    bool IsFrame(std::string_view id) const;
    // The current frame's text as UTF-8; valid until the current frame changes.
    std::string_view FrameText();
    void SetFrameText(std::string_view utf8);
    void WriteFrame(OutputFile* out);
    void AddFrame(OutputFile* out, std::string_view id, std::string_view utf8);
    void FinishTag(InputFile& in, OutputFile* out);
    bool CopyAudio(InputFile& in, OutputFile* out);

    // ID3v1 half. Texts are UTF-8; the trailer holds ISO-8859-1.
    void SetTrailer(std::optional<std::string_view> title, std::string_view artist,
                    std::string_view album, int track, int genre);
    void WriteTrailer(OutputFile* out);
    std::string TrailerTitle() const;
    std::string TrailerArtist() const;
    std::string TrailerAlbum() const;
    int TrailerGenre() const;

    std::int32_t TagSize() const { return tagSize; }
    std::int32_t TagBytesWritten() const { return tagBytesWritten; }
    std::int32_t FrameSize() const { return frameSize; }

private:
    std::int32_t tagSize;
    std::int32_t tagBytesWritten;
    unsigned char frameHeader[10];
    std::int32_t frameSize;
    unsigned char frameData[MaxPayload + 1];
    unsigned char trailer[TrailerSize];
    // The implementation adds the fixed buffers it needs (text conversion, audio
    // blocks, the state of a tag that is copied whole) below.
};

}  // namespace brambex
