// The one record that carries a merge from the choice of the disc-1 folder to the
// last track written. The main window (or the command-line program) owns one for its
// whole life; every step of a merge works on that same record.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace brambex {

class ProgressWindow;

// Length limits of the record's texts, in characters. Texts are UTF-8.
constexpr std::size_t MaxSettingsText = 511;
constexpr std::size_t MaxStemText = 1023;
constexpr std::size_t MaxTrailerText = 30;

// The greatest number of tracks in one output folder; a longer set is split over
// numbered folders.
constexpr int MaxTracksPerFolder = 254;

struct MergeSettings {
    std::string genre;          // TCON text: a genre reference "(N)" or free text
    std::string albumTitle;     // may end in "_" and a number
    std::string outputFolder;   // confirmed title without a trailing "_<digits>"
    bool splitFolders = false;  // output spread over outputFolder_1, outputFolder_2, ...
    std::string currentFolder;  // output folder being filled
    std::string artist;
    std::string titleTemplate;
    std::string discFolderStem;  // path of the disc-1 folder without its disc number
    int discCount = 0;
    int trackCount = 0;
    std::unique_ptr<ProgressWindow> progress;  // open while a merge runs
    bool cancelRequested = false;
    bool keepTrackNames = false;
    bool keepAlbumTitle = false;
    bool keepArtist = false;
    bool keepGenre = false;
    int folderNumber = 0;   // output folder being filled, from 1; 0 before the first
    int runningNumber = 0;  // last track placed in the current folder, 0..MaxTracksPerFolder
    // Tracks of this merge whose ID3v2.2 or 2.4 tag was converted, and those that got a
    // new tag.
    int convertedTags = 0;
    int newTags = 0;
};

// True while "Audio Books" is the chosen type of CDs; kept for the run, never saved.
extern bool audioBookMode;

}  // namespace brambex
