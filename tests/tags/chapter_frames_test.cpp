// The chapters of a book as CHAP and CTOC frames, rendered to literal bytes and a
// chapter read back.
#include "tags/chapter_frames.h"

#include <gtest/gtest.h>

#include <string>

#include "support/tag_bytes.h"

namespace brambex {
namespace {

using testing::BigEndian32;
using testing::Frame;
using testing::Utf16Le;

struct ChapterCase {
    std::size_t index;
    Chapter chapter;
    std::string elementId;
    std::string titlePayload;  // the TIT2 payload; none when empty
};

class ChapterFrameTest : public ::testing::TestWithParam<ChapterCase> {};

TEST_P(ChapterFrameTest, RendersTimesOffsetsAndTitleAndReadsThemBack) {
    const ChapterCase& c = GetParam();
    unsigned char frame[ChapterFrame::MaxSize];
    const std::size_t n = ChapterFrame::Render(c.index, c.chapter, frame);
    const std::string payload = c.elementId + '\0' + BigEndian32(c.chapter.startMs) +
                                BigEndian32(c.chapter.endMs) + BigEndian32(c.chapter.startOffset) +
                                BigEndian32(c.chapter.endOffset) +
                                (c.titlePayload.empty() ? "" : Frame("TIT2", c.titlePayload));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(frame), n), Frame("CHAP", payload));

    ChapterFrame::Parsed read;
    ASSERT_TRUE(ChapterFrame::Parse(frame + 10, n - 10, read));
    EXPECT_EQ(read.elementId, c.elementId);
    EXPECT_EQ(read.startMs, c.chapter.startMs);
    EXPECT_EQ(read.endOffset, c.chapter.endOffset);
    EXPECT_EQ(read.Title(), c.chapter.title);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, ChapterFrameTest,
    ::testing::Values(
        ChapterCase{0, {"Intro", 0, 1500, 2048, 4096}, "ch1", std::string(1, '\0') + "Intro"},
        ChapterCase{41,
                    {"Kapitel \xCE\xA9", 90000, 180250, Chapter::NoOffset, Chapter::NoOffset},
                    "ch42",
                    "\x01\xFF\xFE" + Utf16Le(u"Kapitel \u03A9")},
        ChapterCase{2, {"", 1, 2, 3, 4}, "ch3", ""}));

TEST(ChapterFrame, ALongTitleIsCutToFit) {
    const std::string title(100000, 'x');
    unsigned char frame[ChapterFrame::MaxSize];
    ChapterFrame::Parsed read;
    ASSERT_TRUE(
        ChapterFrame::Parse(frame + 10, ChapterFrame::Render(0, {title}, frame) - 10, read));
    EXPECT_EQ(read.Title(), title.substr(0, ChapterFrame::MaxTitleSize - 1));
}

TEST(ChapterFrame, ParseRefusesAPayloadShortOfItsTimes) {
    const std::string payload = "ch1" + std::string(1, '\0') + BigEndian32(0) + BigEndian32(9);
    ChapterFrame::Parsed read;
    EXPECT_FALSE(ChapterFrame::Parse(reinterpret_cast<const unsigned char*>(payload.data()),
                                     payload.size(), read));
}

// CTOC frame `which` of a book of `chapters` chapters.
std::string Toc(std::size_t chapters, std::size_t which) {
    unsigned char frame[TocFrame::MaxSize];
    return {reinterpret_cast<const char*>(frame), TocFrame::Render(chapters, which, frame)};
}

TEST(TocFrame, ListsUpTo255ChaptersInTheTopLevelFrameAndNestsMore) {
    const std::string z(1, '\0');
    ASSERT_EQ(TocFrame::Count(3), 1u);
    EXPECT_EQ(Toc(3, 0), Frame("CTOC", "toc" + z + "\x03\x03" + "ch1" + z + "ch2" + z + "ch3" + z));
    EXPECT_EQ(TocFrame::Count(255), 1u);
    ASSERT_EQ(TocFrame::Count(256), 3u);
    EXPECT_EQ(Toc(256, 0), Frame("CTOC", "toc" + z + "\x03\x02" + "toc1" + z + "toc2" + z));
    const std::string first = Toc(256, 1);
    EXPECT_EQ(first.substr(10, 14), "toc1" + z + "\x01\xFF" + "ch1" + z + "ch2");
    EXPECT_EQ(first.substr(first.size() - 12), "ch254" + z + "ch255" + z);
    EXPECT_EQ(Toc(256, 2), Frame("CTOC", "toc2" + z + "\x01\x01" + "ch256" + z));
    // The longest book fills every frame; a longer one has none.
    const std::string last = Toc(TocFrame::MaxChapters, 255);
    EXPECT_EQ(last.substr(last.size() - 16), "ch65024" + z + "ch65025" + z);
    EXPECT_EQ(TocFrame::Count(TocFrame::MaxChapters + 1), 0u);
}

}  // namespace
}  // namespace brambex
