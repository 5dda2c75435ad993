// One book as one MP3 file: the tracks' audio frames joined in order behind one ID3v2.3
// tag with a chapter for each track and one Xing/Info frame that counts the whole book,
// then an ID3v1 trailer. Nothing is decoded: each track's frames are one contiguous
// range, copied by the system's copy.
//
// WriteBookFile reads every track first for its tag (where the audio lies) and the
// start of its audio (the format of its frames, the encoder's delay and padding): where
// a track's frames differ from the first track's in version, layer, sample rate or
// channels, or it has none, nothing is written. Then it copies each track's frames
// behind room left for the tag and the Xing frame, while a thread of its own counts
// the frame headers of the tracks ahead (see book_copy.h); the tag and the Xing frame,
// which need every count, go into that room last. What it keeps of a track is of a
// fixed size, so a book of thousands of tracks takes little memory.
//
// A writer that names each chapter from the track's own tag, or that spreads a book
// past 4 GiB over parts, takes the steps one by one: ScanBookTracks (the first
// reading), PlanBookParts, then WriteBookPart for each part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_stream.h"
#include "tags/front_cover.h"
#include "tags/mpeg_track.h"

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
    // The picture's bytes within the file; the whole file when coverSize is negative.
    std::int64_t coverOffset = 0;
    std::int64_t coverSize = -1;
};

struct BookFileResult {
    enum class Kind {
        Written,
        Unreadable,   // tracks[track] cannot be read (error says why)
        NoAudio,      // tracks[track] holds no MPEG audio frames
        Differs,      // tracks[track]'s frames differ from the first track's (detail)
        TagFailed,    // the tag cannot be made (detail, error)
        WriteFailed,  // the output failed (error)
        Changed,      // tracks[track] changed size after its first reading
        Stopped,      // progress asked to stop
    };
    Kind kind = Kind::Written;
    std::size_t track = 0;
    std::string detail;
    std::error_code error;
    std::uint64_t bytes = 0;  // the file's, when written
};

// Gets the audio bytes copied so far, of the book's (or part's), after each track and
// within a long track after every BookCopyPiece bytes; returning false stops the writing.
using BookProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// How much of a track is copied between two calls of the progress.
inline constexpr std::uint64_t BookCopyPiece = 16u << 20;

// Writes the book to out (not closed): ScanBookTracks, then WriteBookPart of every track.
BookFileResult WriteBookFile(std::span<const BookTrack> tracks, const BookFileTexts& texts,
                             OutputFile& out, const BookProgress& progress);

// Where a track's audio range ends, and the track's size when it was first read: its
// frames are counted and copied within that range of a file of that size.
struct TrackRange {
    std::int64_t audioEnd = 0;
    std::int64_t size = 0;
};

// What the first reading learns: each track's audio (a fixed record per track) and
// range, each track's own title (TIT2; none where it has none), the first track's year
// and where its own front cover lies (size 0: it has none).
struct ScannedBook {
    std::vector<TrackAudio> audio;
    std::vector<TrackRange> ranges;
    std::vector<std::optional<std::string>> ownTitles;
    std::string year;
    FrontCover cover;

    // A track's audio bytes once its frames are counted; until then the most they can be.
    std::uint64_t AudioBytes(std::size_t track) const;
};

// The first reading of every track (the titles are not used): its tag and the start of
// its audio, and with countFrames its frames too (which a dry run shows the times of).
// keepGoing, asked before each track, stops the reading (Stopped) when it returns false.
BookFileResult ScanBookTracks(std::span<const BookTrack> tracks, ScannedBook& scanned,
                              const std::function<bool(std::size_t track)>& keepGoing = {},
                              bool countFrames = true);

// The year a book takes from its first track (see ScannedBook::year); empty where the
// track cannot be read.
std::string ReadTrackYear(const std::string& path);

// Where each part of a book begins (its first track), for tracks whose audio takes
// trackBytes, when a part's audio may take `room` bytes: each part takes as many whole
// tracks as fit, and a track larger than room alone makes a part.
std::vector<std::size_t> BookPartStarts(std::span<const std::uint64_t> trackBytes,
                                        std::uint64_t room);

// The parts of the scanned book: one unless its chapters' offsets or its Xing frame's
// byte count would pass 32 bits, which they count in. The room is measured with the
// tag of the whole book, which no part's tag is larger than. Where the most the
// uncounted tracks can hold would not fit one part, their frames are counted here, so
// that the parts take whole tracks by what they hold.
BookFileResult PlanBookParts(std::span<const BookTrack> tracks, ScannedBook& scanned,
                             const BookFileTexts& texts, std::vector<std::size_t>& starts);

// Writes the scanned tracks (audio[i] and ranges[i] are tracks[i]'s) as one file to
// out (not closed), counting the frames of those not counted yet.
BookFileResult WriteBookPart(std::span<const BookTrack> tracks, std::span<TrackAudio> audio,
                             std::span<const TrackRange> ranges, const BookFileTexts& texts,
                             OutputFile& out, const BookProgress& progress);

}  // namespace brambex
