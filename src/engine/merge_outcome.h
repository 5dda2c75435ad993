// What one step of a merge came to, and its summary in words. Each front end takes what
// it shows and how it ends from here: the command line its exit status and its last
// line, the window its state and its status line.
#pragma once

#include <string>
#include <vector>

namespace brambex {

struct MergeRun;

struct MergeOutcome {
    enum class Kind {
        Completed,  // the step did all it had to
        Cancelled,  // the user asked it to stop (Cancel, closing the window, Ctrl-C)
        Stopped,    // it stopped after a message that says why
        Refused,    // what the user gave (the title) was refused, with a message
    };
    MergeOutcome() = default;
    MergeOutcome(Kind k, int discCount, int trackCount)
        : kind(k), discs(discCount), tracks(trackCount) {}

    Kind kind = Kind::Stopped;
    int discs = 0;   // the set's discs, from a scan
    int tracks = 0;  // a scan: the files counted; a merge: the tracks placed or planned
    // A merge that stopped: the track (or folder) it stopped at, relative to the set's
    // folder.
    std::string stoppedAt;
    // A merge: one line for each track that something was noted of (a converted tag,
    // the codec's notes), "<track>: <note>; <note>".
    std::vector<std::string> notes;

    bool Completed() const { return kind == Kind::Completed; }
};

// What a merge came to, in the words every front end shows: the line the command line
// prints after a merge and the desktop program puts on its status line
// (merge_summary.cpp).

// The output folders the merge of the run filled, in order: names in the set's folder, or with
// fullPaths their paths.
std::vector<std::string> MergedFolders(const MergeRun& run, bool fullPaths);

// "Merged 300 tracks into "A_1" and "A_2". 3 tags converted to ID3v2.3, 1 new tag."
// for a completed merge; "Merge cancelled after 12 tracks." for a cancelled one;
// "Merge stopped at "Disc 2/05 B.mp3" after 16 tracks." for one that stopped after a
// message. Empty for a refused one, whose message said it all.
std::string MergeSummary(const MergeOutcome& outcome, const MergeRun& run, bool fullPaths);

}  // namespace brambex
