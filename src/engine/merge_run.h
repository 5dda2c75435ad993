// Where one merge's output stands while a writer carries its plan out: the output
// folder being filled, its number, the running number of the last track placed in it
// and the tags converted or made new so far. Each merge starts from a fresh record made
// from its plan, so nothing of an earlier merge (or an earlier try) carries over; the
// summary and the list of output folders read it once the merge has ended.
#pragma once

#include <string>
#include <string_view>

namespace brambex {

struct MergePlan;

struct MergeRun {
    // The absolute folder that holds the disc folders and the output folders: folder
    // and file names below and in messages are relative to it, as the user knows them.
    std::string setFolder;
    // The confirmed title without the "_<number>" that asks for a split; spelt as the
    // folder on disk once the first output folder is found so spelt.
    std::string outputFolder;
    bool splitFolders = false;  // output spread over outputFolder_1, outputFolder_2, ...
    std::string currentFolder;  // output folder being filled, a name in setFolder
    int folderNumber = 0;       // output folder being filled, from 1; 0 before the first
    int runningNumber = 0;      // last track placed in the current folder, 0..MaxTracksPerFolder
    // Tracks of this merge whose ID3v2.2 or 2.4 tag was converted, and those that got a
    // new tag.
    int convertedTags = 0;
    int newTags = 0;

    // The path on disk of a name relative to the set's folder.
    std::string PathInSet(std::string_view name) const;
    // The name of output folder `number` (from 1) in the set's folder.
    std::string FolderName(int number) const;
};

// The record a merge of the plan starts from: no folder begun, no track placed.
MergeRun StartRun(const MergePlan& plan);

}  // namespace brambex
