// The pattern from which the merge builds each copied track's new title: every
// character stands for itself, except that "<" opens a code that runs to the next ">".
// The codes are <disc>, <track>, <book>, <album> and <song>.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brambex {

class FrontEnd;
struct MergeSettings;

// Longest title, in bytes, that the expansion gives; a longer one is cut on a
// character boundary.
constexpr std::size_t MaxTrackTitleBytes = 255;

// Expands the pattern for one track: disc is the disc's number in the set, track the
// number its file name begins with, song the track's own title (TIT2). True with the title in
// result; false after the message "Unrecognized code: <code> ignored." (caption "Error", stop icon)
// for a code not in the list, and then result holds nothing to use.
bool ExpandTitleTemplate(const MergeSettings& settings, FrontEnd& ui,
                         std::string_view titleTemplate, int disc, int track, std::string_view song,
                         std::string& result);
// The same for a merge's worker thread, which may not talk to the user: false with the
// message's text in error.
bool ExpandTitleTemplate(std::string_view albumTitle, std::string_view titleTemplate, int disc,
                         int track, std::string_view song, std::string& result, std::string& error);

}  // namespace brambex
