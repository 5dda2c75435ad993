// A library merged in one go from the command line: which sets of a listing it takes,
// and the library merge itself (MergeLibrary, engine/library_merge.h), which a front end
// reaches through here.
#pragma once

#include <vector>

#include "app/library_listing.h"
#include "engine/library_merge.h"

namespace brambex {

struct ChosenSets {
    std::vector<LibrarySet> sets;
    int tracks = 0;  // of those sets, in all
};

// The sets of the listing, in its order, that are not merged yet (one whose merge was
// interrupted among them), or with redo every one.
ChosenSets ChooseSetsToMerge(const LibraryListing& listing, bool redo);

}  // namespace brambex
