// What a merge came to, in the words every front end shows: the line the command line
// prints after a merge and the desktop program puts on its status line.
#pragma once

#include <string>
#include <vector>

#include "engine/merge_outcome.h"
#include "options/merge_settings.h"

namespace brambex {

// The output folders a merge filled, in order: names in the set's folder, or with
// fullPaths their paths.
std::vector<std::string> MergedFolders(const MergeSettings& settings, bool fullPaths);

// "Merged 300 tracks into "A_1" and "A_2". 3 tags converted to ID3v2.3, 1 new tag."
// for a completed merge; "Merge cancelled after 12 tracks." for a cancelled one;
// "Merge stopped at "Disc 2/05 B.mp3" after 16 tracks." for one that stopped after a
// message. Empty for a refused one, whose message said it all.
std::string MergeSummary(const MergeOutcome& outcome, const MergeSettings& settings,
                         bool fullPaths);

}  // namespace brambex
