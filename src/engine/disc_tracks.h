// Which files of a disc folder are its tracks, and under which numbers. A track's name
// ends in ".mp3" (any letter case) and begins with its number, written with two digits
// ("07 Storm.mp3") or, from 100 on, three ("112 Coda.mp3"), followed by something other
// than a digit: "100 Song.mp3" is track 100 and never track 10. A folder without such
// names may hold the form that many rippers write, disc, hyphen and two-digit track
// ("1-07 Storm.mp3"); its tracks are then taken from those.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace brambex {

// Track numbers looked for in every disc folder.
constexpr int MaxTrackNumber = 499;

struct DiscTrack {
    int number;
    std::string name;
    std::int64_t size = -1;  // in bytes, once the set's check has looked; -1 before
};

struct DiscTracks {
    // By number, then by name; two files with one number both appear.
    std::vector<DiscTrack> tracks;
    // The tracks were taken from "D-NN" names; these are the disc numbers they carry.
    bool discTrackForm = false;
    std::vector<int> discNumbers;
    // Why the folder could not be read, none when it was; no tracks then.
    std::error_code error;
};

// The track number a name gives in the plain form, 0 when it gives none.
int TrackNumber(std::string_view name);

// The tracks among the entries of a folder's listing (sorted by name, as a listing
// gives it).
DiscTracks TracksAmong(const std::vector<platform::FoundEntry>& entries);

// The title part of a track's file name: without a leading two-digit number and blank
// (with discTrackForm, the leading "D-NN" and blank), cut at the first ".mp3" (any
// letter case).
std::string TrackTitlePart(const std::string& fileName, bool discTrackForm = false);

}  // namespace brambex
