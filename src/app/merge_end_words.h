// The main window's words for a merge that ended before its last track: what happened,
// why, and how many tracks were written where ("Merge stopped: no space left on device.
// 4 of 120 tracks are in "X_1"."), and the messages that said why, kept for Details
// since no box came up over the progress window.
#pragma once

#include <string>
#include <vector>

#include "engine/merge_outcome.h"
#include "engine/merge_run.h"
#include "options/message.h"

namespace brambex {

// The status line of a cancelled or stopped merge that had begun writing; `total` is
// the set's count of tracks, `held` the messages the merge gave while it ran.
std::string EndedMergeStatus(const MergeOutcome& outcome, const MergeRun& run, int total,
                             const std::vector<Message>& held);

// The held messages that said something went wrong, one line each ("where: text"),
// for Details.
std::vector<std::string> HeldMessageNotes(const std::vector<Message>& held);

}  // namespace brambex
