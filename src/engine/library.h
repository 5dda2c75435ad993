// A library: a folder tree that holds many disc sets, some of them merged already.
// Finding its sets applies the rules by which a chosen folder is read as disc 1 of a
// set to every folder of the tree, so a set is found exactly when choosing its disc-1
// folder by hand would find it. Each folder is listed once; output folders (and what
// they hold) are never entered.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "options/merge_choices.h"
#include "platform/file_system.h"

namespace brambex {

struct LibrarySet {
    std::string relativeFolder;  // the disc-1 folder, relative to the library's folder
    std::string discOneFolder;   // the same, absolute
    std::string setFolder;       // the absolute folder that holds the disc folders
    int discs = 0;
    int tracks = 0;          // files ending in ".mp3" in its disc folders, as a scan counts them
    int numberedTracks = 0;  // of those, the numbered tracks its merge takes
    // The title its merge gives it (the Merge Options form's proposal, "Moby Dick_1"),
    // the first output folder's name in setFolder, and the first track's artist.
    std::string title;
    std::string outputFolder;
    std::string artist;
    // The title comes from the folder's name: the first track has no album title, or
    // another set beside it would get the same output folder.
    bool titleFromFolder = false;
    // Its output folder holds the key file and a whole merge.
    bool merged = false;
    // Its output folder holds the key file and a merge that did not finish (killed,
    // cancelled, stopped by a full disk), which a merge of the set replaces.
    bool interrupted = false;
};

// A folder the search could not read, or a link to a folder it did not follow: one
// that leads to a folder searched already or to a folder above it.
struct LibraryNote {
    std::string relativeFolder;  // relative to the library's folder; empty for itself
    std::string text;            // what became of it, with the system's reason
    bool unreadable = false;     // sets in it may have been missed
};

// The functions below look at the disk through `files` alone.

// Calls `found` for every set under the folder (an absolute path), deepest folders
// first; a folder's sets in the order of their disc-1 folders' names. Every folder is
// listed once, however many links lead to it; `noted` hears of each folder passed
// over. Memory is held for the folders on the way down and the identity of each folder
// listed, not for the sets already reported.
void ForEachLibrarySet(platform::FileSystem& files, const std::string& folder,
                       const std::function<void(LibrarySet)>& found,
                       const std::function<void(LibraryNote)>& noted = {});

// Every set under the folder, in the order of their relative folders, and the notes of
// the search in the same order.
std::vector<LibrarySet> FindLibrarySets(platform::FileSystem& files, const std::string& folder,
                                        std::vector<LibraryNote>* notes = nullptr);

// Sets merged and interrupted from what the set's output folder holds now.
void ReadMergedState(platform::FileSystem& files, LibrarySet& set);

// The set's title and output folder as a merge in `format` proposes them (a book written
// as one file goes to a folder named by the title without "_1"), and whether that output
// is merged.
void ReadSetForFormat(platform::FileSystem& files, LibrarySet& set, OutputFormat format);

// The title a merge of a set proposes, by the one rule for every front end: from its
// first track's album ("Moby Dick_1"); where that names none, or where another set in
// the same folder would get the same output folder, from the set's folder name without
// its disc ending ("Walden_1"), so that no set fills or empties another's output. The
// set's disc-1 folder is an entry of setFolder, chosen by hand or not; empty when it
// is no folder there.
std::string ProposedSetTitle(platform::FileSystem& files, const std::string& setFolder,
                             const std::string& discOneName);

}  // namespace brambex
