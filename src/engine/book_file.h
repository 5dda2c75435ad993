// One book as one MP3 file: the tracks' audio frames joined in order behind one ID3v2.3
// tag with a chapter for each track and one Xing/Info frame that counts the whole book,
// then an ID3v1 trailer. Nothing is decoded: each track's frames are one contiguous
// range, copied by the system's copy.
//
// WriteBookFile reads every track twice: first its tag (for where the audio lies) and
// its frame headers (how many frames, of which format, and the encoder's delay and
// padding), then, once the tag and the Xing frame are written, its frames. What it
// keeps of a track is of a fixed size, so a book of thousands of tracks takes little
// memory. Where a track's frames differ from the first track's in version, layer,
// sample rate or channels, nothing is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <system_error>

#include "platform/file_stream.h"

namespace brambex {

struct BookTrack {
    std::string path;
    std::string title;  // its chapter's title
};

struct BookFileTexts {
    std::string title;  // TIT2, TALB and the trailer's title and album
    std::string artist;
    std::string genre;  // a TCON text: "(101)", "Audiobook"
    std::string year;
    std::string coverPath;  // none when empty
    std::string coverMimeType;
};

struct BookFileResult {
    enum class Kind {
        Written,
        Unreadable,   // tracks[track] cannot be read (error says why)
        NoAudio,      // tracks[track] holds no MPEG audio frames
        Differs,      // tracks[track]'s frames differ from the first track's (detail)
        TagFailed,    // the tag cannot be made (detail, error)
        WriteFailed,  // the output failed (error)
        Stopped,      // progress asked to stop
    };
    Kind kind = Kind::Written;
    std::size_t track = 0;
    std::string detail;
    std::error_code error;
    std::uint64_t bytes = 0;  // the file's, when written
};

// Writes the book to out (not closed). progress gets the audio bytes copied so far, of
// the book's, after each track; returning false stops the writing.
BookFileResult WriteBookFile(
    std::span<const BookTrack> tracks, const BookFileTexts& texts, OutputFile& out,
    const std::function<bool(std::uint64_t done, std::uint64_t total)>& progress);

}  // namespace brambex
