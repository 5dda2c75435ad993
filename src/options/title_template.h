// The pattern from which the merge builds each copied track's new title: every
// character stands for itself, except that "<" opens a code that runs to the next ">".
// The codes are <disc>, <track>, <book>, <album> and <song>.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "options/message.h"

namespace brambex {

struct MergeSettings;

// Longest title, in bytes, that the expansion gives; a longer one is cut on a
// character boundary.
constexpr std::size_t MaxTrackTitleBytes = 255;

// Expands the pattern for one track: disc is the disc's number in the set, track the
// number its file name begins with, song the track's own title (TIT2). Nothing, with the
// title in result; or, for a code not in the list, the message "Unrecognized code: <code>
// ignored." (caption "Error", an error), and then result holds nothing to use.
std::optional<Message> ExpandTitleTemplate(const MergeSettings& settings,
                                           std::string_view titleTemplate, int disc, int track,
                                           std::string_view song, std::string& result);
// The same for a merge's worker thread, which keeps a track's failure for later: false
// with the message's text in error.
bool ExpandTitleTemplate(std::string_view albumTitle, std::string_view titleTemplate, int disc,
                         int track, std::string_view song, std::string& result, std::string& error);

}  // namespace brambex
