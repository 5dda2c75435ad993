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
};

}  // namespace brambex
