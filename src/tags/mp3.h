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
// disk. Diagnostics are single lines sent to the sink of tags/diagnostic.h: the
// standard error stream unless a front end has installed its own.
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

    // False when the input has no ID3v2.3 tag that can be rewritten frame by frame; the
    // pass then goes on as usual and copies the whole input as audio.
    bool ReadHeader(InputFile& in, OutputFile* out);
    // A frame longer than MaxPayload is current as well: FrameText sees its first
    // MaxPayload bytes, and WriteFrame streams the rest from the input.
    bool NextFrame(InputFile& in);
    bool IsFrame(std::string_view id) const;
    // The current frame's text as UTF-8, zero-terminated (empty when it has none);
    // valid until the current frame changes.
    std::string_view FrameText();
    void SetFrameText(std::string_view utf8);
    void WriteFrame(OutputFile* out);
    void AddFrame(OutputFile* out, std::string_view id, std::string_view utf8);
    void FinishTag(InputFile& in, OutputFile* out);
    // False when a read or write of the pass failed (see Failed()), also when the input
    // now ends before its audio starts; audio shorter than usual is reported as a
    // diagnostic but copied all the same.
    bool CopyAudio(InputFile& in, OutputFile* out);

    // ID3v1 half. Texts are UTF-8; the trailer holds ISO-8859-1.
    void SetTrailer(std::optional<std::string_view> title, std::string_view artist,
                    std::string_view album, int track, int genre);
    // False when this or any earlier write of the pass failed.
    bool WriteTrailer(OutputFile* out);
    std::string TrailerTitle() const;
    std::string TrailerArtist() const;
    std::string TrailerAlbum() const;
    int TrailerGenre() const;
    std::string TrailerYear() const;
    std::string TrailerComment() const;
    // The ID3v1.1 track byte, or 0 when the trailer carries none.
    int TrailerTrack() const;
    // True when CopyAudio found an ID3v1 trailer at the end of the input.
    bool InputHadTrailer() const { return inputHadTrailer_; }

    std::int32_t TagSize() const { return tagSize; }
    std::int32_t TagBytesWritten() const { return tagBytesWritten; }
    std::int32_t FrameSize() const { return frameSize; }
    // The four id characters of the current frame.
    std::string_view FrameId() const;
    // The tag header's major version and revision; -1 before a header with "ID3" and
    // those bytes was read.
    int MajorVersion() const;
    int Revision() const;
    // True once a read or write of this pass failed; the output is then incomplete.
    bool Failed() const { return failed_; }

  private:
    std::int64_t AudioStart() const;
    void DecodeFrameText(const unsigned char* payload, std::size_t n);
    bool CopyKnownLength(InputFile& in, OutputFile* out, std::int64_t audio);
    bool CopyToEnd(InputFile& in, OutputFile* out);
    void KeepTrailer(const unsigned char* last);
    void ResetTrailer();
    // Reports what went wrong with the streams, once each, and marks the pass failed.
    void CheckStreams(const InputFile* in, const OutputFile* out);
    void ReportShortInput(const InputFile& in, const OutputFile* out);

    std::int32_t tagSize;
    std::int32_t tagBytesWritten;
    unsigned char frameHeader[10];
    std::int32_t frameSize;
    unsigned char frameData[MaxPayload + 1];
    unsigned char trailer[TrailerSize];

    unsigned char tagHeader_[10] = {};
    std::size_t tagHeaderBytes_ = 0;
    std::int64_t tagStart_ = 0;
    // Input offset of the next frame header and of the end of the input tag.
    std::int64_t nextFramePos_ = 0;
    std::int64_t tagEnd_ = 0;
    bool walkEnded_ = false;
    // The current frame: how much of its payload frameData holds, and where the rest
    // of a long payload lies in the input.
    bool frameValid_ = false;
    std::int32_t bufferedSize_ = 0;
    std::int64_t payloadRestPos_ = 0;
    InputFile* frameInput_ = nullptr;
    bool inputHadTrailer_ = false;
    bool failed_ = false;
    bool readReported_ = false;
    bool writeReported_ = false;
    // UTF-8 form of the current frame's text: at most three bytes for each payload byte.
    char text_[3 * MaxPayload + 4];
};

}  // namespace brambex
