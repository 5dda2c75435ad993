// A library as the front ends list it: every set found under a folder with what the
// check before a merge finds wrong with it, the folders the search could not read (sets
// in them may be missing), and the links it passed over, in the words both the library
// dialog and `library` show.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/library.h"
#include "engine/library_plan.h"

namespace brambex {

struct UnreadableFolder {
    std::string folder;  // as shown: relative to the library, "." for itself
    std::string text;    // what became of it, with the system's reason
};

struct LibraryListing {
    std::vector<LibrarySet> sets;
    // What a merge of each set would come to (empty plans when not checked), and each
    // set's problem, its first line; empty when nothing is wrong (or not checked).
    std::vector<LibrarySetPlan> plans;
    std::vector<std::string> problems;
    std::vector<UnreadableFolder> unreadable;
    // "self: A link to ".", a folder above it: not followed.", one for each link.
    std::vector<std::string> passedOver;
};

// Finds the sets under the folder (an absolute path); with check, reads and plans each
// as its merge would (PlanLibrarySets), all together, so that a folder of thousands of
// sets is read once, not once a set. Titles and merged states are those of a merge in
// `format`.
LibraryListing ListLibrary(const std::string& folder, bool check,
                           OutputFormat format = OutputFormat::FolderOfTracks);

// A folder relative to the library as shown: "." for the library itself.
std::string ShownFolder(const std::string& relative);
// The first line of a message, for a row.
std::string FirstLine(const std::string& text);
// "1 set", "2 sets".
std::string Counted(std::size_t n, const char* one, const char* many);
// What a scan of a set counted, as the window and the command line say it: "1 disc,
// 3 files.", "2 discs, 1 file.".
std::string ScanCounts(int discs, int files);
// Whether the set is merged: "yes", "interrupted" (a merge that did not finish) or "no".
std::string MergedWord(const LibrarySet& set);

}  // namespace brambex
