// One book as one M4B audiobook: every track decoded (without its encoder's delay and
// padding), brought to one sample rate and channel count, and encoded as one
// continuous AAC-LC stream, in pieces on several threads that join without a gap
// (m4b/piece_plan.h). Each track is a chapter; the file carries the book's tags and
// cover. Nothing of this interface shows the libraries that decode and encode.
//
// ReadM4bTracks decodes every track once to count its samples before anything is
// encoded, so that a track that does not decode stops the book before a byte is
// written. Each piece's packets wait in a spool file (removed as soon as it is open,
// so that nothing of it outlives the program), and the movie box is written before
// them once their sizes are known. Memory stays small whatever the book's length:
// a few frames per job, and of the packets only where each chunk of them starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_stream.h"

namespace brambex {

struct M4bTrack {
    std::string path;
    std::string title;  // its chapter's title
};

struct M4bBookTexts {
    std::string title;
    std::string artist;
    std::string genre;  // the genre's name
    std::string year;
    std::string description;
    std::string coverPath;  // JPEG or PNG; none when empty
    // Where the picture lies in that file (a track's own front cover): coverSize bytes
    // from coverOffset; the whole file when coverSize is negative.
    std::int64_t coverOffset = 0;
    std::int64_t coverSize = -1;
};

struct M4bSettings {
    int bitrateKbps = 64;
    bool mono = false;  // otherwise the first track's channels
    int jobs = 1;
};

struct M4bResult {
    enum class Kind {
        Written,
        Undecodable,      // tracks[track] does not decode (detail: the decoder's reason)
        CoverUnreadable,  // the cover cannot be read (error)
        EncodeFailed,     // the encoder refused (detail)
        WriteFailed,      // the output or a spool file failed (error)
        Stopped,          // progress asked to stop
    };
    Kind kind = Kind::Written;
    std::size_t track = 0;
    std::string detail;
    std::error_code error;
    std::uint64_t bytes = 0;  // the file's, when written
};

// What the first reading found: each track's samples at the book's sample rate (the
// first track's), and its channels.
struct M4bBookAudio {
    std::vector<std::uint64_t> trackSamples;
    int sampleRate = 0;
    int channels = 0;
};

// Called a few times a second from the calling thread with what is done so far of the
// whole; returning false stops.
using M4bProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Decodes every track on up to `jobs` threads to count its samples; progress counts
// the tracks read.
M4bResult ReadM4bTracks(std::span<const M4bTrack> tracks, int jobs, const M4bProgress& progress,
                        M4bBookAudio& audio);

// Encodes and writes the book the tracks' reading found to out (not closed), with
// spool files named from spoolStem; progress counts the book's samples encoded.
M4bResult WriteM4bBook(std::span<const M4bTrack> tracks, const M4bBookAudio& audio,
                       const M4bBookTexts& texts, const M4bSettings& settings,
                       const std::string& spoolStem, OutputFile& out, const M4bProgress& progress);

}  // namespace brambex
