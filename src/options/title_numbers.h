// The rules that read or write "_" and a number at the end of a title, side by side.
// They differ on purpose:
// - FolderSplitAt: where a confirmed title asks for numbered output folders: at its
//   last "_" when a digit follows, whatever follows the digit ("Tales_2b" too), as
//   titles have been read since the first version.
// - FolderNumberEnding: what each numbered folder's album title replaces with its own
//   number: "_" and one or two digits that end the title, and nothing else, so that a
//   title like "Tales_2b" keeps its text and only gains a number.
// - FirstFolderEnding: what a proposed title ends in, so that the proposal is ready
//   to spread a long set over numbered folders.
// The output folders themselves are named "<title>_<number>" (OutputFolderName).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "options/merge_choices.h"

namespace brambex {

inline constexpr std::string_view FirstFolderEnding = "_1";

// A proposed title as the format takes it: a format that writes the book as one file
// has no numbered folders, so its proposal loses the FirstFolderEnding.
std::string ProposedTitleFor(OutputFormat format, std::string_view proposal);

// The position of the "_" at which the title asks for numbered folders; none when it
// does not.
std::optional<std::size_t> FolderSplitAt(std::string_view title);

// Length of a trailing "_" with one or two digits, 0 when the title has none.
std::size_t FolderNumberEnding(std::string_view title);

// Where the output of a merge of `tracks` tracks under the confirmed title goes: the
// title cut at FolderSplitAt, whose folders are numbered; else the whole title, whose
// folders are numbered when the tracks do not fit in one (splitForCount, which the user
// is told).
struct OutputSplit {
    std::string outputFolder;
    bool splitFolders = false;
    bool splitForCount = false;
};
OutputSplit SplitOutput(std::string_view title, int tracks);

// The name of output folder `folderNumber` in the set's folder: the title without its
// split ending (outputFolder), or when the output is split, that, "_" and the number.
std::string OutputFolderName(std::string_view outputFolder, bool split, int folderNumber);

// The album title the tracks of output folder `folderNumber` carry: the confirmed
// title, or when the output is split, that title with the folder's number.
std::string FolderAlbumTitle(std::string_view title, bool split, int folderNumber);

// The album title of output folder `folderNumber` when the output is split: its
// FolderNumberEnding is replaced by "_<folderNumber>"; at most 511 characters.
std::string SplitAlbumTitle(std::string_view albumTitle, int folderNumber);

}  // namespace brambex
