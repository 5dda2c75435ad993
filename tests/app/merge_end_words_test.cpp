// The status line of a merge that ended early: which output folders it names as
// holding the tracks written.
#include "app/merge_end_words.h"

#include <gtest/gtest.h>

namespace brambex {
namespace {

// A split merge fills "X_1" whole (254 tracks) before it begins "X_2"; one that stops
// as "X_2" is begun names only the folders that hold a track.
TEST(MergeEndWordsTest, NamesOnlyTheOutputFoldersThatHoldATrack) {
    struct Case {
        int folderNumber;
        int tracks;
        const char* where;
    };
    const Case cases[] = {
        {1, 4, "4 of 600 tracks are in \"X_1\"."},
        {2, 254, "254 of 600 tracks are in \"X_1\"."},
        {2, 255, "255 of 600 tracks are in \"X_1\" and \"X_2\"."},
        {3, 508, "508 of 600 tracks are in \"X_1\" and \"X_2\"."},
    };
    for (const Case& c : cases) {
        MergeRun run;
        run.outputFolder = "X";
        run.splitFolders = true;
        run.folderNumber = c.folderNumber;
        const MergeOutcome outcome(MergeOutcome::Kind::Cancelled, 0, c.tracks);
        EXPECT_EQ(EndedMergeStatus(outcome, run, 600, {}),
                  std::string("Merge cancelled. ") + c.where)
            << c.tracks;
    }
}

}  // namespace
}  // namespace brambex
