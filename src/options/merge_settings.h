// The one record that carries a merge from the choice of the disc-1 folder to the
// last track written. A merge session owns one; every step of a merge works on that
// same record.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

#include "options/merge_choices.h"

namespace brambex {

// Length limits of the record's texts, in characters. Texts are UTF-8.
constexpr std::size_t MaxSettingsText = 511;
constexpr std::size_t MaxStemText = 1023;
constexpr std::size_t MaxTrailerText = 30;

// The greatest number of tracks in one output folder; a longer set is split over
// numbered folders.
constexpr int MaxTracksPerFolder = 254;

// What a merge session holds for one set, in three parts that change at different
// times: the first track's tags, read before the Merge Options form opens, which the
// form proposes; the user's choices, which only the form writes (the type of CDs and
// the jobs stay from one merge to the next); and where a merge's output stands, which
// each merge sets afresh and the form never reads.
struct MergeSettings {
    // The first track's tags.
    std::string genre;  // TCON text: a genre reference "(N)" or free text
    std::string albumTitle;
    std::string artist;
    std::string titleTemplate;  // the track's own title
    // The title the Merge Options form proposes, decided from the set's folder and the
    // sets beside it; empty: the form proposes one from albumTitle alone.
    std::string proposedTitle;
    // Why the first track's tags could not be read, which leaves the texts above empty
    // (EISDIR for a folder, platform::NotARegularFile for a pipe or a device); none when
    // they were read.
    std::error_code firstTrackError;
    std::string firstTrackPath;

    // What the Merge Options form decided.
    MergeChoices choices;

    // The merge's output. The absolute folder that holds the disc folders and the
    // output folders: folder and file names elsewhere in the record and in messages are
    // relative to it, as the user knows them; the disk is always reached through it.
    std::string setFolder;
    // The tracks the merge takes (DiscSet::TrackCount), which decide a split.
    int trackCount = 0;
    std::string outputFolder;   // the confirmed title without a trailing "_<digits>"
    bool splitFolders = false;  // output spread over outputFolder_1, outputFolder_2, ...
    std::string currentFolder;  // output folder being filled, a name in setFolder
    int folderNumber = 0;       // output folder being filled, from 1; 0 before the first
    int runningNumber = 0;      // last track placed in the current folder, 0..MaxTracksPerFolder
    // Tracks of this merge whose ID3v2.2 or 2.4 tag was converted, and those that got a
    // new tag.
    int convertedTags = 0;
    int newTags = 0;
};

// The path on disk of a name relative to the set's folder.
std::string PathInSet(const MergeSettings& settings, std::string_view name);

}  // namespace brambex
