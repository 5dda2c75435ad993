// The tag of a book written as one MP3 file: measured, then written with the chapters'
// offsets set in between, read back by the codec's own pass; and what stops it.
#include "tags/book_tag.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/rewrite_pass.h"
#include "support/tag_bytes.h"
#include "support/temp_tree.h"

namespace brambex::testing {
namespace {

class BookTagTest : public ::testing::Test {
  protected:
    BookTag Book(std::vector<Chapter>& chapters) {
        BookTag tag;
        tag.texts = {"Moby Dick", "Herman Melville", "Herman Melville", "Audiobook", "1851"};
        tag.cover = {tree_.File("cover.jpg", Audio(5000, 7)), "image/jpeg\n"};
        tag.chapters = chapters;
        return tag;
    }
    // Writes a measured tag to memory; the bytes, or "" with the status in `status`.
    static std::string Write(const BookTag& tag, const BookTagSize& size, std::uint32_t padding,
                             BookTagStatus& status, std::size_t limit = std::string::npos) {
        std::string bytes;
        OutputFile out;
        out.CreateMemory(&bytes, limit);
        status = WriteBookTag(tag, size, padding, out);
        return status.Ok() ? bytes : std::string();
    }

    TempTree tree_;
};

TEST_F(BookTagTest, MeasuredTagIsWrittenWithItsOffsetsAndReadsBack) {
    std::vector<Chapter> chapters = {{"Loomings", 0, 1500}, {"\xC3\x86r\xC3\xB8", 1500, 4000}};
    const BookTag tag = Book(chapters);
    const BookTagSize size = MeasureBookTag(tag);
    ASSERT_TRUE(size.status.Ok());
    const std::uint64_t audioStart = size.TagSize(300);
    chapters[0].startOffset = ChapterOffset(audioStart);
    chapters[0].endOffset = chapters[1].startOffset = ChapterOffset(audioStart + 1000);
    chapters[1].endOffset = ChapterOffset(audioStart + 4000);

    BookTagStatus status;
    const std::string written = Write(tag, size, 300, status);
    ASSERT_TRUE(status.Ok());
    ASSERT_EQ(written.size(), audioStart);
    const PassResult read = RewriteInMemory(written + Audio(4000));
    EXPECT_EQ(read.frames,
              (std::vector<std::string>{"TIT2=Moby Dick", "TALB=Moby Dick", "TPE1=Herman Melville",
                                        "TPE2=Herman Melville", "TCON=Audiobook", "TYER=1851",
                                        "APIC", "CTOC", "CHAP=ch1 0-1500 Loomings",
                                        "CHAP=ch2 1500-4000 \xC3\x86r\xC3\xB8"}));
    // The codec keeps the tag as it is, the picture's bytes and the offsets too.
    EXPECT_EQ(read.output.substr(0, written.size()), written);
    EXPECT_NE(written.find("image/jpeg" + std::string(1, '\0') + "\x03" + std::string(1, '\0') +
                           Audio(5000, 7)),
              std::string::npos);
}

TEST_F(BookTagTest, EmptyTextsGiveNoFramesAndALongBookNestsItsContents) {
    std::vector<Chapter> chapters(256);
    BookTag tag;
    tag.texts.title = "Walden";
    tag.chapters = chapters;
    const BookTagSize size = MeasureBookTag(tag);
    BookTagStatus status;
    const PassResult read = RewriteInMemory(Write(tag, size, 0, status) + Audio(100));
    ASSERT_EQ(read.frames.size(), 2u + 3u + 256u);
    EXPECT_EQ(read.frames[4], "CTOC");
    EXPECT_EQ(read.frames.back(), "CHAP=ch256 0-0 ");
}

TEST_F(BookTagTest, TooManyChaptersOrACoverThatCannotBeReadStopTheMeasure) {
    std::vector<Chapter> chapters(TocFrame::MaxChapters + 1);
    BookTag tag = Book(chapters);
    EXPECT_EQ(MeasureBookTag(tag).status.problem, BookTagStatus::Problem::TooManyChapters);
    tag.chapters = tag.chapters.first(1);
    for (const auto& [path, error] :
         {std::pair{tree_.Path("missing.jpg"), std::errc::no_such_file_or_directory},
          std::pair{tree_.Folder("folder.jpg"), std::errc::is_a_directory},
          std::pair{tree_.File("empty.jpg"), std::errc()}}) {
        tag.cover.path = path;
        const BookTagSize size = MeasureBookTag(tag);
        EXPECT_EQ(size.status.problem, BookTagStatus::Problem::CoverUnreadable) << path;
        EXPECT_TRUE(size.status.error == error) << path;
    }
}

TEST_F(BookTagTest, AChangedCoverOrAFullOutputFailsTheWrite) {
    std::vector<Chapter> chapters(3);
    const BookTag tag = Book(chapters);
    const BookTagSize size = MeasureBookTag(tag);
    BookTagStatus status;
    Write(tag, size, 1024, status, size.TagSize(1024) - 1);
    EXPECT_EQ(status.problem, BookTagStatus::Problem::WriteFailed);
    EXPECT_EQ(status.error, std::errc::no_space_on_device);
    Write(tag, size, brambex::TagHeader::MaxSize, status);
    EXPECT_EQ(status.problem, BookTagStatus::Problem::TagTooLarge);
    tree_.File("cover.jpg", Audio(5001));
    Write(tag, size, 0, status);
    EXPECT_EQ(status.problem, BookTagStatus::Problem::Changed);
}

}  // namespace
}  // namespace brambex::testing
