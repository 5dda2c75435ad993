// The 2.4 frames whose 2.3 form is more than their texts re-encoded: genres by number,
// the volume adjustment, and time stamps, read for the 2.3 frames they become.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tags/frame_bodies.h"
#include "tags/frame_ids.h"

namespace brambex {

// A 2.4 genre text (TCON values joined with "/") as mutagen's conversion to 2.3 gives
// it: a genre number, alone ("17") or in parentheses ("(17)", "(17)Rock"), becomes the
// list's name, and RX and CR become Remix and Cover. Written to out, at most cap bytes.
std::size_t GenreNames(std::string_view genres, char* out, std::size_t cap);

// 2.4's relative volume adjustment (RVA2) as the ReplayGain texts readers look for:
// the master volume's gain ("-6.20 dB") and peak ("0.988553"), of the album when the
// frame's identification says "album", else of the track. False without a master
// volume channel.
struct VolumeAdjustment {
    bool album = false;
    char gain[24] = {};
    char peak[24] = {};
};
bool ReadVolumeAdjustment(const unsigned char* in, std::size_t n, VolumeAdjustment& out);

// A 2.4 time stamp ("yyyy-MM-ddTHH:mm:ss", any leading part) as the 2.3 year (TYER
// "yyyy"), date (TDAT "DDMM") and time (TIME "HHMM"); each is empty where the stamp
// lacks it, and the year and date where they are zero. Midnight is a time.
struct Id3Date {
    char year[5] = {};
    char date[5] = {};
    char time[5] = {};
};
Id3Date SplitTimeStamp(std::string_view stamp);

}  // namespace brambex
