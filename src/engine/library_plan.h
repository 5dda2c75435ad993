// What a merge of each set of a library would come to, read as the merge reads it: the
// set as a DiscSet (ReadDiscSet and the whole-set check) and its plan (PlanMerge) under
// the title the library search gave it. The library's rows and its dry run say what
// these say; nothing here writes, asks or shows.
#pragma once

#include <string>
#include <vector>

#include "engine/library.h"
#include "platform/file_system.h"

namespace brambex {

struct LibrarySetPlan {
    // What stops a merge of the set before it writes anything (the check's finding, or
    // two tracks with one number where the plan has no track yet), as the message says
    // it; empty when nothing.
    std::string problem;
    // The output folders the merge would fill, in order; none with a problem.
    std::vector<std::string> outputFolders;
    int tracks = 0;  // the tracks the merge would place
};

// The plan of one set, looking at the disk through `files` alone.
LibrarySetPlan PlanLibrarySet(platform::FileSystem& files, const LibrarySet& set);

// PlanLibrarySet of each set, in order; the sets of one folder share one reading of it,
// so a folder of thousands of sets is read once, not once a set.
std::vector<LibrarySetPlan> PlanLibrarySets(platform::FileSystem& files,
                                            const std::vector<LibrarySet>& sets);

}  // namespace brambex
