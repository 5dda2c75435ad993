// What the Merge Options dialog shows of the merge its values would make: the first
// few tracks' file names with the titles they would carry, and the output folders. It
// comes from the same plan a dry run makes, so it can never name a track otherwise
// than the merge will.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace brambex {

struct MergeChoices;

struct PreviewTrack {
    std::string fileName;  // in its output folder
    std::string title;     // the title frame the track would carry
};

struct MergePreview {
    std::vector<std::string> folders;  // every output folder, names in the set's folder
    std::vector<PreviewTrack> tracks;  // the first few
    std::string problem;               // why the merge would stop, when it would
    // The one file of a book in the first folder, whose chapters the tracks are; empty
    // for folders of tracks.
    std::string bookFile;
};

// Plans the first tracks of a merge made with these choices (as the dialog's values
// would confirm them) from what the merge has read already: it reads no file, since
// the dialog's thread calls it.
using PreviewSource = std::function<MergePreview(const MergeChoices&)>;

}  // namespace brambex
