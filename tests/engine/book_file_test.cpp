// A book written as one MP3 file from tracks built as bytes: what lies where in it, its
// chapters' times and offsets, and the tracks it refuses.
#include "engine/book_file.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "support/mpeg_bytes.h"
#include "support/tag_bytes.h"
#include "support/temp_tree.h"
#include "tags/chapter_frames.h"

namespace brambex::testing {
namespace {

// The CHAP frames of an ID3v2.3 tag at the start of bytes, in order.
std::vector<ChapterFrame::Parsed> ChaptersIn(const std::string& bytes, std::size_t tagEnd) {
    std::vector<ChapterFrame::Parsed> chapters;
    for (std::size_t at = 10; at + 10 <= tagEnd && bytes[at] != '\0';) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        const std::size_t size = (std::size_t{p[4]} << 24) | (p[5] << 16) | (p[6] << 8) | p[7];
        if (bytes.compare(at, 4, "CHAP") == 0) {
            chapters.emplace_back();
            EXPECT_TRUE(ChapterFrame::Parse(p + 10, size, chapters.back()));
        }
        at += 10 + size;
    }
    return chapters;
}

class BookFileTest : public ::testing::Test {
  protected:
    std::string Book(const std::vector<std::string>& tracks, BookFileResult& result) {
        std::vector<BookTrack> list;
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            const std::string name = "0" + std::to_string(i + 1) + ".mp3";
            list.push_back({tree.File(name, tracks[i]), "Chapter " + std::to_string(i + 1)});
        }
        OutputFile out;
        EXPECT_TRUE(out.Create(tree.Path("book.mp3")));
        result = WriteBookFile(list, {"Moby Dick", "Herman Melville", "(101)", "1851", {}, {}}, out,
                               nullptr);
        EXPECT_TRUE(out.Close());
        return tree.Read("book.mp3");
    }

    TempTree tree;
};

TEST_F(BookFileTest, JoinsEveryTracksFramesBehindOneTagAndXingFrame) {
    const std::string first = Frames(10), second = Frames(5), third = Frames(4, Vbr160);
    BookFileResult result;
    const std::string book =
        Book({PaddedTag(TextFrame("TIT2", "one"), 100) + LameInfoFrame("Info", 576, 1000) + first,
              second + Trailer("two", "", "", 2, 0), "junk" + third},
             result);
    ASSERT_EQ(result.kind, BookFileResult::Kind::Written) << result.detail;
    EXPECT_EQ(result.bytes, book.size());
    const std::size_t tagEnd = 10 + ((std::size_t{static_cast<unsigned char>(book[6])} << 21) |
                                     (book[7] << 14) | (book[8] << 7) | book[9]);
    const TrackAudio xing = Scan(book.substr(tagEnd, book.size() - tagEnd - 128));
    EXPECT_EQ(xing.infoFrame, InfoFrame::Xing);  // bitrates differ
    EXPECT_EQ(xing.frames, 19u);
    EXPECT_EQ(xing.encoderDelay, 576);
    const std::size_t audioStart = book.size() - 128 - first.size() - second.size() - third.size();
    EXPECT_EQ(book.substr(audioStart, book.size() - 128 - audioStart), first + second + third);
    EXPECT_EQ(book.compare(book.size() - 128, 12, "TAGMoby Dick"), 0);

    const std::vector<ChapterFrame::Parsed> chapters = ChaptersIn(book, tagEnd);
    ASSERT_EQ(chapters.size(), 3u);
    // Players skip the first track's encoder delay: 10 * 1152 - 576 and 15 * 1152 - 576
    // samples at 44.1 kHz, to the nearest millisecond.
    const struct {
        std::uint32_t startMs, startOffset, endOffset;
    } expected[] = {
        {0, static_cast<std::uint32_t>(audioStart),
         static_cast<std::uint32_t>(audioStart + first.size())},
        {248, static_cast<std::uint32_t>(audioStart + first.size()),
         static_cast<std::uint32_t>(audioStart + first.size() + second.size())},
        {379, static_cast<std::uint32_t>(audioStart + first.size() + second.size()),
         static_cast<std::uint32_t>(book.size() - 128)},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(chapters[i].elementId, "ch" + std::to_string(i + 1));
        EXPECT_EQ(chapters[i].Title(), "Chapter " + std::to_string(i + 1));
        EXPECT_EQ(chapters[i].startMs, expected[i].startMs) << i;
        EXPECT_EQ(chapters[i].startOffset, expected[i].startOffset) << i;
        EXPECT_EQ(chapters[i].endOffset, expected[i].endOffset) << i;
        if (i > 0) {
            EXPECT_EQ(chapters[i - 1].endMs, chapters[i].startMs) << i;
        }
    }
}

TEST_F(BookFileTest, TheFirstReadingKeepsEachTracksOwnTitleAndTheFirstTracksYear) {
    const std::vector<BookTrack> tracks = {
        {tree.File(
             "01.mp3",
             PaddedTag(TextFrame("TIT2", "Call me") + TextFrame("TYER", "1851"), 20) + Frames(2)),
         {}},
        {tree.File("02.mp3", Frames(2)), {}},
    };
    ScannedBook scanned;
    ASSERT_EQ(ScanBookTracks(tracks, scanned).kind, BookFileResult::Kind::Written);
    EXPECT_EQ(scanned.year, "1851");
    ASSERT_EQ(scanned.ownTitles.size(), 2u);
    EXPECT_EQ(scanned.ownTitles[0], "Call me");
    EXPECT_FALSE(scanned.ownTitles[1]);
    EXPECT_EQ(ScanBookTracks(tracks, scanned, [](std::size_t track) { return track < 1; }).kind,
              BookFileResult::Kind::Stopped);
    // A stop asked for while the frames are copied leaves the book unfinished.
    OutputFile out;
    ASSERT_TRUE(out.Create(tree.Path("book.mp3")));
    EXPECT_EQ(
        WriteBookFile(tracks, {}, out, [](std::uint64_t, std::uint64_t) { return false; }).kind,
        BookFileResult::Kind::Stopped);
}

// The frames are counted while they are copied, after the room for the tag and the Xing
// frame was kept: where the bitrate changes inside a track, after every track began
// alike, the Xing frame is shorter than that room and the tag's padding takes the rest.
TEST_F(BookFileTest, ABitrateChangingInsideATrackLeavesTheXingFramesRoomToThePadding) {
    const std::string first = Frames(3), second = Frames(2) + Frames(2, Vbr160);
    BookFileResult result;
    const std::string book = Book({first, second}, result);
    ASSERT_EQ(result.kind, BookFileResult::Kind::Written) << result.detail;
    EXPECT_EQ(result.bytes, book.size());
    const std::size_t tagEnd = 10 + ((std::size_t{static_cast<unsigned char>(book[6])} << 21) |
                                     (book[7] << 14) | (book[8] << 7) | book[9]);
    const std::size_t audioStart = book.size() - 128 - first.size() - second.size();
    const TrackAudio xing = Scan(book.substr(tagEnd, book.size() - tagEnd - 128));
    EXPECT_EQ(std::tuple(xing.infoFrame, xing.frames, xing.junkBefore, tagEnd + xing.framesStart),
              std::tuple(InfoFrame::Xing, 7u, 0, audioStart));
    EXPECT_EQ(book.substr(audioStart, first.size() + second.size()), first + second);
    const std::vector<ChapterFrame::Parsed> chapters = ChaptersIn(book, tagEnd);
    ASSERT_EQ(chapters.size(), 2u);
    EXPECT_EQ(chapters[1].startOffset, audioStart + first.size());
}

// A track whose size changed after its first reading is named before anything of it is
// copied, however it changed.
TEST_F(BookFileTest, ATrackThatChangedAfterItsFirstReadingIsNamedNotCopiedInPart) {
    const std::vector<BookTrack> tracks = {{tree.File("01.mp3", Frames(4)), "one"},
                                           {tree.File("02.mp3", Frames(4)), "two"}};
    ScannedBook scanned;
    ASSERT_EQ(ScanBookTracks(tracks, scanned, {}, false).kind, BookFileResult::Kind::Written);
    for (const std::string& changed : {Frames(2), Frames(6)}) {
        tree.File("02.mp3", changed);
        OutputFile out;
        ASSERT_TRUE(out.Create(tree.Path("book.mp3")));
        const BookFileResult result =
            WriteBookPart(tracks, scanned.audio, scanned.ranges, {}, out, nullptr);
        EXPECT_EQ(std::tuple(result.kind, result.track),
                  std::tuple(BookFileResult::Kind::Changed, 1u))
            << changed.size();
    }
}

TEST(BookPartStarts, EachPartTakesTheWholeTracksThatFitItsRoom) {
    const struct {
        std::vector<std::uint64_t> bytes;
        std::vector<std::size_t> starts;
    } cases[] = {
        {{}, {}},
        {{3, 3, 3}, {0}},
        {{4, 4, 4}, {0, 2}},
        {{5, 5, 5, 5}, {0, 2}},  // a part may fill its room exactly
        {{12, 1, 1}, {0, 1}},    // a track past the room is a part of its own
        {{1, 12, 1}, {0, 1, 2}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BookPartStarts(c.bytes, 10), c.starts) << c.bytes.size();
}

TEST_F(BookFileTest, ATrackOfAnotherFormatOrWithoutAudioIsNamedAndNothingIsJoined) {
    const struct {
        std::string second;
        BookFileResult::Kind kind;
        const char* detail;
    } cases[] = {
        {Frames(3, 0xFFFB9464), BookFileResult::Kind::Differs, "48000 Hz instead of 44100 Hz"},
        {Frames(3, 0xFFFB90E4), BookFileResult::Kind::Differs, "mono instead of stereo"},
        {std::string(5000, 'x'), BookFileResult::Kind::NoAudio, ""},
    };
    for (const auto& c : cases) {
        BookFileResult result;
        const std::string book = Book({Frames(4), c.second, Frames(2)}, result);
        EXPECT_EQ(result.kind, c.kind) << c.detail;
        EXPECT_EQ(result.track, 1u) << c.detail;
        EXPECT_EQ(result.detail, c.detail);
        EXPECT_TRUE(book.empty()) << c.detail;
    }
}

}  // namespace
}  // namespace brambex::testing
