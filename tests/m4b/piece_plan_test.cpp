// The cut of a book's samples into pieces encoded apart: where each starts and ends in
// packets, what its encoder is fed and drops, and which tracks it decodes.
#include "m4b/piece_plan.h"

#include <gtest/gtest.h>

#include <vector>

namespace brambex::testing {
namespace {

struct PlanCase {
    const char* name;
    std::vector<std::uint64_t> tracks;
    int jobs;
    std::vector<Piece> pieces;
};

const PlanCase PlanCases[] = {
    {"OneJobOnePiece", {72000, 96000, 120000}, 1, {{0, 283, 0, 288000, 0, 0, 3}}},
    // The middle of the book (144000) lies nearest the third track's start (168000),
    // in packet 165: the second piece is fed from three frames before it.
    {"CutAtTheTrackStartNearestTheMiddle",
     {72000, 96000, 120000},
     2,
     {{0, 165, 0, 169984, 0, 0, 3}, {165, 283, 165888, 288000, 3, 1, 3}}},
    // A piece per track at most, however many jobs.
    {"NoMorePiecesThanTracks",
     {50000, 50000},
     4,
     {{0, 49, 0, 51200, 0, 0, 2}, {49, 99, 47104, 100000, 3, 0, 2}}},
    // A track starting in the first frames: the pre-roll stops at the book's start.
    {"PreRollStopsAtTheStart",
     {1000, 100000},
     2,
     {{0, 1, 0, 2048, 0, 0, 2}, {1, 100, 0, 101000, 1, 0, 2}}},
};

class PlanPiecesTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(PlanPiecesTest, CutsAtTrackStarts) {
    const PlanCase& c = GetParam();
    const PiecePlan plan = PlanPieces(c.tracks, c.jobs);
    ASSERT_EQ(plan.pieces.size(), c.pieces.size());
    for (std::size_t i = 0; i < c.pieces.size(); ++i) {
        const Piece &got = plan.pieces[i], &want = c.pieces[i];
        EXPECT_EQ(got.firstPacket, want.firstPacket) << i;
        EXPECT_EQ(got.endPacket, want.endPacket) << i;
        EXPECT_EQ(got.feedStart, want.feedStart) << i;
        EXPECT_EQ(got.feedEnd, want.feedEnd) << i;
        EXPECT_EQ(got.droppedPackets, want.droppedPackets) << i;
        EXPECT_EQ(got.firstTrack, want.firstTrack) << i;
        EXPECT_EQ(got.endTrack, want.endTrack) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Books, PlanPiecesTest, ::testing::ValuesIn(PlanCases),
                         [](const auto& info) { return info.param.name; });

// Whatever the lengths and jobs, the pieces keep every packet of the book once, in
// order, and each is fed the block of every packet it keeps and one frame beyond.
TEST(PlanPieces, PiecesJoinIntoTheWholeStream) {
    const std::vector<std::vector<std::uint64_t>> books = {{1},
                                                           {1023, 1, 1025},
                                                           {44100, 3000, 3000, 3000, 90000, 7},
                                                           std::vector<std::uint64_t>(40, 4410)};
    for (const auto& tracks : books) {
        for (int jobs = 1; jobs <= 8; ++jobs) {
            const PiecePlan plan = PlanPieces(tracks, jobs);
            ASSERT_FALSE(plan.pieces.empty());
            std::uint64_t next = 0;
            for (const Piece& p : plan.pieces) {
                EXPECT_EQ(p.firstPacket, next);
                EXPECT_LT(p.firstPacket, p.endPacket);
                EXPECT_EQ(p.feedStart, (p.firstPacket - p.droppedPackets) * AacFrame);
                EXPECT_TRUE(p.feedEnd == plan.samples ||
                            p.feedEnd >= (p.endPacket + LookAheadFrames) * AacFrame);
                EXPECT_LE(p.firstTrack, p.endTrack);
                next = p.endPacket;
            }
            EXPECT_EQ(next, BookPackets(plan.samples));
            EXPECT_LE(plan.pieces.size(), std::min(tracks.size(), static_cast<std::size_t>(jobs)));
        }
    }
}

TEST(PlanPieces, ChaptersStartWhereTheTracksBeforeThemEnd) {
    const std::vector<std::uint64_t> tracks = {72000, 96000, 120000};
    const PiecePlan plan = PlanPieces(tracks, 3);
    EXPECT_EQ(plan.trackStarts, (std::vector<std::uint64_t>{0, 72000, 168000}));
    EXPECT_EQ(plan.samples, 288000u);
    // 283 packets of 1024 hold the encoder's delay, the book, and 768 samples more.
    EXPECT_EQ(BookPackets(288000), 283u);
    EXPECT_EQ(BookPadding(288000), 768u);
    EXPECT_EQ(BookPadding(3 * 1024), 0u);  // the delay and the book fill whole frames
}

}  // namespace
}  // namespace brambex::testing
