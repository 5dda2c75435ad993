// The line a merge's outcome keeps for a track that something was noted of: its tag
// converted or made new, and the codec's own lines about it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/track_copy.h"

namespace brambex {

// "<track>: <note>; <note>", or nothing when there is nothing to say. The codec's
// lines held for the track are taken out of `held`.
std::optional<std::string> TrackNote(const std::string& inputPath, const TrackCopyResult& result,
                                     std::map<std::string, std::vector<std::string>>& held);

}  // namespace brambex
