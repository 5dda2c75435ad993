// The steps that read the tracks' own tags for a plan: the first tracks' titles that
// the Merge Options preview shows, and a dry run's frames of each track. Both run on
// the merge's thread, never on a window's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/front_end.h"
#include "engine/merge_plan.h"
#include "platform/file_system.h"
#include "tags/diagnostic.h"
#include "tags/mp3.h"

namespace brambex {

// The own titles (TIT2) of the plan's first `count` tracks; none for a track without
// one or that cannot be read.
std::vector<std::optional<std::string>> ReadOwnTitles(platform::FileSystem& files,
                                                      const MergePlan& plan, std::size_t count);

struct TrackResolution {
    // Why the track cannot be planned (empty when it was), for a message with this
    // caption and style.
    std::string failure;
    std::string caption;
    MessageKind style = MessageKind::Notice;
    TagKind kind = TagKind::None;  // the input's tag, once read
};

// Fills the track's tag, frames and trailer as a merge would write them, reading the
// input at path; the codec's lines go to diagnostics.
TrackResolution ResolvePlannedTrack(platform::FileSystem& files, const MergePlan& plan,
                                    PlannedTrack& track, const std::string& path,
                                    DiagnosticSink& diagnostics);

}  // namespace brambex
