// Output folder preparation: names the folder a merge fills next, creates it or
// decides whether an existing one may be reused, empties an earlier output of its
// tracks and pictures, and marks the folder as ours with the key file "merged" and,
// while a merge fills it, as unfinished.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/front_end.h"
#include "engine/merge_run.h"
#include "options/title_numbers.h"
#include "platform/file_system.h"

namespace brambex {

// Name of the empty file that marks a folder as an output folder of this program.
inline constexpr std::string_view KeyFileName = "merged";

// Name of the hidden file that stands in an output folder from before its first track
// is written until the merge's last track has its name. The key file alone cannot say
// this: it is there before any track is.
inline constexpr std::string_view UnfinishedMarkerName = ".brambex-incomplete";

// The caption of the question whether to empty the output folder of an earlier merge.
inline constexpr std::string_view EmptyEarlierMergeCaption = "Empty earlier merge?";

// Hidden files that a merge writes before they get their names end like this; what
// an interrupted merge left of them the next merge of the folder removes.
inline constexpr std::string_view PartialFilePrefix = ".brambex-";
inline constexpr std::string_view PartialFileEnding = ".part";

// True when the folder (a path on disk) holds the key file: an empty regular file named "merged".
// Anything else of that name (a folder, a link, a file with the user's notes) makes
// the folder the user's.
bool IsOutputFolder(platform::FileSystem& files, const std::string& folder);

// True when the folder (a path on disk) holds the marker of a merge that did not finish.
bool HoldsUnfinishedMerge(platform::FileSystem& files, const std::string& folder);

// Sets the run's currentFolder for its folderNumber: the naming alone, which a dry run
// shows without touching the disk.
void NameOutputFolder(MergeRun& run);

// The functions below change the disk through `files` only.

// NameOutputFolder, then makes that folder ready: created with a key file, or an earlier output
// folder emptied; either way marked unfinished before it is emptied or filled. The folder is locked
// against other merges in `lock`, which the caller holds until the merge ends (without one, only
// for this call). False after a message; a refused folder is left as it was.
bool PrepareOutputFolder(platform::FileSystem& files, MergeRun& run, FrontEnd& ui,
                         platform::FolderLock* lock = nullptr);

// Deletes the leftovers of interrupted merges and the .mp3, .jpg and .jpeg files of
// the folder; other files and sub-folders stay, and so do the key file and the
// unfinished marker, so that an emptying that is stopped halfway is taken up again by
// the next merge. False after a message when a file cannot be deleted.
bool ClearOutputFolder(platform::FileSystem& files, const MergeRun& run, Messages& ui,
                       const std::string& folder);

// Removes the unfinished marker from each output folder (names in the set's folder) of
// a merge whose last track has its name, the first folder last: a set is read by its
// first folder. False after a message when one cannot be removed.
bool MarkMergeFinished(platform::FileSystem& files, const MergeRun& run, Messages& ui,
                       const std::vector<std::string>& folders);

// Deletes the files of the folder (a name in the set's folder) that match the pattern,
// which begins with a separator (for example "/*.mp3"). Sub-folders are left alone. With report
// set, a folder that cannot be read or the first file that cannot be deleted ends the work with a
// message and false; otherwise such files are passed over.
bool DeleteMatching(platform::FileSystem& files, const MergeRun& run, Messages& ui,
                    const std::string& folder, std::string_view pattern, bool report);

}  // namespace brambex
