// What the Merge Options form decided for one merge, and nothing else. A merge reads
// it and never changes it: the output folder a split merge is filling, its running
// number and the album title of each numbered folder belong to the merge's plan and
// run, so a second merge of the same choices makes the same output.
#pragma once

#include <cstddef>
#include <string>

namespace brambex {

// What a merge writes.
enum class OutputFormat {
    FolderOfTracks,  // numbered output folders of MP3 tracks
    Mp3Book,         // one chaptered MP3 of the whole set
    M4bBook,         // one M4B audiobook, re-encoded as AAC
};

// The most tracks a merge may write at the same time.
inline constexpr int MaxJobs = 8;
// Why a build without the M4B encoder (BRAMBEX_M4B) writes no M4B book.
inline constexpr const char* NoM4bInThisBuild =
    "This build of Brambex cannot write M4B files: it was built without the ffmpeg libraries.";
// The AAC bitrates of an M4B book, in kb/s.
inline constexpr int MinBitrate = 16;
inline constexpr int MaxBitrate = 320;

struct MergeChoices {
    // "Audio Books" rather than "Music CDs".
    bool audioBookMode = true;
    // The album or book title as confirmed, which also names the output folder; a
    // title ending in "_" and a number spreads the output over numbered folders.
    std::string title;
    std::string artist;
    std::string genre;          // TCON text: a genre reference "(N)" or free text
    std::string titleTemplate;  // the pattern of the new track titles
    bool keepTrackNames = false;
    bool keepAlbumTitle = false;
    bool keepArtist = false;
    bool keepGenre = false;
    // Tracks written at the same time; 0: two on a machine with more than one core.
    int jobs = 0;
    OutputFormat format = OutputFormat::FolderOfTracks;
    // An M4B book's AAC bitrate, and whether it is mixed down to one channel (otherwise
    // it keeps the first track's channels).
    int bitrateKbps = 64;
    bool mono = false;
};

}  // namespace brambex
