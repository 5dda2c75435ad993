// What one step of a merge came to. Each front end takes what it shows and how it ends
// from here: the command line its exit status, the window its state.
#pragma once

#include <string>
#include <vector>

namespace brambex {

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

}  // namespace brambex
