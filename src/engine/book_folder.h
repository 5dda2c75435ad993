// The output of a format that writes a book as one file (or a few parts): a folder
// named by the title, prepared as every output folder is (locked, marked as this
// program's with its key file, an earlier merge emptied only when the user agrees,
// marked unfinished while it is filled), with the disc-1 folder's pictures beside the
// book, and the names of the book's files in it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/front_end.h"
#include "engine/merge_plan.h"
#include "engine/merge_run.h"
#include "platform/file_system.h"
#include "tags/front_cover.h"

namespace brambex {

// The name of the book's file ("<title>.mp3"), or of part `part` (from 1) of a book of
// `parts` parts ("<title> - Part 2.mp3"). A title too long for a name loses its end,
// never its part number or extension.
std::string BookFileName(std::string_view title, std::string_view extension, int part, int parts);

// Prepares the run's output folder (PrepareOutputFolder, locked in `lock` for as long as
// the caller holds it) and copies the pictures of the plan's first folder into it, each
// written under temporaryName first. False after a message.
bool PrepareBookFolder(platform::FileSystem& files, MergeRun& run, FrontEnd& ui,
                       platform::FolderLock& lock, const MergePlan& plan,
                       std::string_view temporaryName);

// The picture the book's tag carries: the first picture of the disc-1 folder, as a
// path on disk; empty when the folder has none.
std::string BookCoverPath(const MergeRun& run, const MergePlan& plan);

// The picture a book carries: the first track's own front cover (`own`, found in
// firstTrack) where it has one, else the disc-1 folder's first picture; no path when
// there is neither.
struct ChosenCover {
    std::string path;
    std::int64_t offset = 0;
    std::int64_t size = -1;  // the whole file
    std::string mimeType;
};
ChosenCover ChooseBookCover(const MergeRun& run, const MergePlan& plan,
                            const std::string& firstTrack, const FrontCover& own);

}  // namespace brambex
