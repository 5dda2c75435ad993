// Merging many sets of a library in one go. Each set is merged by a session of its
// own, with its own title (the one the library search gave it) and its own artist and
// defaults from its first track; a set that fails is passed over and the others go on;
// a cancel stops after the running track. One progress window covers the whole run.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/front_end.h"
#include "engine/library.h"
#include "engine/output_writer.h"

namespace brambex {

class MergeSession;

// The Merge Options dialog's choices that hold for every set of a library: the type
// of CDs, the keep boxes, the genre and the track-name pattern. Title and artist are
// each set's own.
struct SharedMergeOptions {
    bool music = false;
    bool keepGenre = false;
    bool keepAlbumTitle = false;
    bool keepArtist = false;
    bool keepTrackNames = false;
    std::string genre;
    std::optional<int> genreNumber;  // a genre picked from the list
    std::string pattern;
    OutputFormat format = OutputFormat::FolderOfTracks;
    int jobs = 0;
    std::string bitrate;  // an M4B book's, as typed
    bool mono = false;
};

SharedMergeOptions RecordSharedOptions(const MergeOptionsForm& form);
void ApplySharedOptions(const SharedMergeOptions& options, MergeOptionsForm& form);

struct LibraryMergeSettings {
    bool audioBookMode = true;
    int jobs = 0;
    OutputFormat format = OutputFormat::FolderOfTracks;
    int bitrateKbps = 64;  // of an M4B book
    bool mono = false;
    // Sets merged already are merged again: emptying their output is not asked. The
    // output of a merge that did not finish is emptied without asking either way.
    bool redo = false;
    // The Merge Options dialog is run for the first set only, and its shared choices
    // answer it for every other set.
    bool askOnce = false;
    // Messages are kept in the results instead of being shown as they come (a window
    // would stop the whole run at each one).
    bool keepMessages = false;
};

struct LibrarySetResult {
    enum class State { NotStarted, Merged, Failed, Cancelled };
    State state = State::NotStarted;
    int tracks = 0;  // placed (or planned, in a dry run)
    // The last message a failed set gave, which says why.
    std::string message;
    // Its output folders, names in the set's folder.
    std::vector<std::string> outputFolders;
    int convertedTags = 0;
    int newTags = 0;
};

// Called before each set's merge with its position and session; the plan it returns
// (none for a real merge) receives that set's dry run.
using LibraryPlanFor = std::function<DryRun*(std::size_t index, const MergeSession& session)>;

// Merges the sets in order, each through `files`; one result for each set.
std::vector<LibrarySetResult> MergeLibrary(platform::FileSystem& files,
                                           const std::vector<LibrarySet>& sets, FrontEnd& ui,
                                           const Cancellation& cancel,
                                           const LibraryMergeSettings& settings,
                                           const LibraryPlanFor& planFor = {});

}  // namespace brambex
