// The record of what a merge is to be: the first track's tags and the Merge Options
// form's choices. A merge session owns one and keeps it from one merge of its set to
// the next.
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

// What a merge session holds for one set, in two parts that change at different
// times: the first track's tags, read before the Merge Options form opens, which the
// form proposes; and the user's choices, which only the form writes (the type of CDs
// and the jobs stay from one merge to the next). Where a merge's output stands is its
// run's (MergeRun), never the session's record.
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
    // The choices were confirmed for the set being merged: the next Merge Options form
    // of the same set shows them again rather than the defaults (a merge that stopped
    // before writing is started again as it was asked for). The session forgets them
    // when another set is chosen.
    bool choicesConfirmed = false;
};

}  // namespace brambex
