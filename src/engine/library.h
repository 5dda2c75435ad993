// A library: a folder tree that holds many disc sets, some of them merged already.
// Finding its sets applies the rules by which a chosen folder is read as disc 1 of a
// set to every folder of the tree, so a set is found exactly when choosing its disc-1
// folder by hand would find it. Each folder is listed once; output folders (and what
// they hold) are never entered.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace brambex {

struct LibrarySet {
    std::string relativeFolder;  // the disc-1 folder, relative to the library's folder
    std::string discOneFolder;   // the same, absolute
    std::string setFolder;       // the absolute folder that holds the disc folders
    int discs = 0;
    int tracks = 0;  // files ending in ".mp3" in its disc folders, as a scan counts them
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

// Calls `found` for every set under the folder (an absolute path), deepest folders
// first; a folder's sets in the order of their disc-1 folders' names. Memory is held
// for the folders on the way down, not for the sets already reported.
void ForEachLibrarySet(const std::string& folder, const std::function<void(LibrarySet)>& found);

// Every set under the folder, in the order of their relative folders.
std::vector<LibrarySet> FindLibrarySets(const std::string& folder);

// Sets merged and interrupted from what the set's output folder holds now.
void ReadMergedState(LibrarySet& set);

// What the check that a merge makes before writing would find wrong with the set,
// as that message says it; empty when nothing.
std::string CheckLibrarySet(const LibrarySet& set);

}  // namespace brambex
