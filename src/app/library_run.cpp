#include "app/library_run.h"

namespace brambex {

ChosenSets ChooseSetsToMerge(const LibraryListing& listing, bool redo) {
    ChosenSets chosen;
    for (const LibrarySet& set : listing.sets) {
        if (redo || !set.merged) {
            chosen.sets.push_back(set);
            chosen.tracks += set.tracks;
        }
    }
    return chosen;
}

}  // namespace brambex
