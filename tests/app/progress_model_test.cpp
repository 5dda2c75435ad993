#include "app/progress_model.h"
#include "app/progress_meter.h"

#include <gtest/gtest.h>

#include <climits>

namespace brambex {
namespace {

struct Step {
    int done;
    int percent;
    bool changed;
};

void Feed(int total, std::initializer_list<Step> steps) {
    ProgressMeter meter(total);
    for (const Step& s : steps) {
        EXPECT_EQ(meter.Update(s.done), s.changed) << "total " << total << " done " << s.done;
        EXPECT_EQ(meter.Percent(), s.percent) << "total " << total << " done " << s.done;
    }
}

TEST(ProgressMeterTest, PercentagesTruncateAndNeverGoBack) {
    Feed(3, {{0, 0, false},
             {1, 33, true},
             {1, 33, false},
             {2, 66, true},
             {1, 66, false},
             {3, 100, true},
             {4, 100, false}});
    Feed(254, {{253, 99, true}, {254, 100, true}});
    Feed(7, {{-5, 0, false}, {INT_MAX, 100, true}});
}

TEST(ProgressMeterTest, ZeroTotalShowsFullForAnyCount) {
    Feed(0, {{0, 0, false}, {1, 100, true}, {2, 100, false}});
}

TEST(ProgressMeterTest, LargeTotalsAreScaled) {
    ProgressMeter big(30000000);
    EXPECT_TRUE(big.TotalScaled());
    EXPECT_EQ(big.Total(), 300000);
    EXPECT_FALSE(big.Update(150000));
    EXPECT_EQ(big.Percent(), 0);
    EXPECT_TRUE(big.Update(15000000));
    EXPECT_EQ(big.Percent(), 50);

    ProgressMeter edge(21474836);
    EXPECT_FALSE(edge.TotalScaled());
    EXPECT_TRUE(edge.Update(21474836));
    EXPECT_EQ(edge.Percent(), 100);
    EXPECT_TRUE(ProgressMeter(21474837).TotalScaled());
}

}  // namespace
}  // namespace brambex

TEST(ProgressMeterTest, TimeLeftFollowsTheRateSoFar) {
    struct Case {
        std::int64_t done, total;
        double seconds;
        const char* text;
    } cases[] = {
        {0, 1000, 30, ""},                            // nothing copied yet
        {100, 1000, 1.5, ""},                         // too soon to tell
        {1000, 1000, 60, ""},                         // nothing left
        {500, 1000, 30, "Less than a minute left."},  // 30 s
        {100, 1000, 10, "About 2 minutes left."},     // 90 s rounds up
        {1, 3, 60, "About 2 minutes left."},
        {1, 2, 60 * 61, "About 61 minutes left."},
        {1, 4, 60 * 60, "About 3 hours left."},
        // Sizes of a long book do not overflow.
        {std::int64_t{3} << 30, std::int64_t{6} << 30, 120, "About 2 minutes left."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(brambex::TimeLeftText(c.done, c.total, c.seconds), c.text)
            << c.done << " " << c.seconds;
}

// The count line names the track under way, never one past the last, and the time
// left once it is known.
TEST(ProgressModelTest, CountLineNamesTheTrackUnderWayAndTheTimeLeft) {
    brambex::ProgressModel progress(120);
    EXPECT_EQ(progress.CountLine(), "Track 1 of 120.");
    EXPECT_TRUE(progress.SetDone(80));
    progress.SetBytes(800, 1200, 30);
    EXPECT_EQ(progress.CountLine(), "Track 81 of 120. Less than a minute left.");
    EXPECT_EQ(progress.Percent(), 66);
    EXPECT_FALSE(progress.SetDone(79));
    progress.SetBytes(1200, 1200, 45);
    EXPECT_TRUE(progress.SetDone(120));
    EXPECT_EQ(progress.CountLine(), "Track 120 of 120.");
    EXPECT_EQ(brambex::ProgressModel(0).CountLine(), "");
}

// The close box asks while tracks remain, and says what stays of them.
TEST(ProgressModelTest, CloseAsksOnlyWhileTracksRemain) {
    brambex::ProgressModel progress(3);
    progress.SetDone(1);
    EXPECT_EQ(progress.CloseQuestion(),
              "Cancel the merge?\nIt stops once the tracks being written are complete; the track "
              "written so far stays in the output folder.");
    progress.SetDone(0);
    EXPECT_EQ(progress.CloseQuestion(),
              "Cancel the merge?\nIt stops once the tracks being written are complete.");
    progress.SetDone(3);
    EXPECT_EQ(progress.CloseQuestion(), "");
}
