// The bytes of the M4B boxes that carry the book's chapters, tags and gapless length.
#include "m4b/m4b_movie.h"

#include <gtest/gtest.h>

#include <string>

#include "m4b/box_writer.h"

namespace brambex::testing {
namespace {

using namespace std::string_literals;

TEST(M4bMovie, NeroChapterListCountsHundredsOfNanoseconds) {
    BoxWriter w;
    const M4bChapter chapters[] = {{"One", 0}, {"Zwei", 72000}};
    WriteChapterList(w, chapters, 24000);
    EXPECT_EQ(w.Bytes(),
              "\0\0\0\x2A"s
              "chpl\1\0\0\0"
              "\0\0\0\0\2"s
              "\0\0\0\0\0\0\0\0\3One"s
              "\0\0\0\0\x01\xC9\xC3\x80\4Zwei"s);  // 3 s: 30 000 000
}

TEST(M4bMovie, NeroChapterListTakesTheFirst255ChaptersAndCutsLongTitles) {
    BoxWriter w;
    const std::vector<M4bChapter> chapters(300, M4bChapter{std::string(300, 'x'), 0});
    WriteChapterList(w, chapters, 44100);
    EXPECT_EQ(static_cast<unsigned char>(w.Bytes()[16]), 255);
    EXPECT_EQ(static_cast<unsigned char>(w.Bytes()[17 + 8]), 255);
    EXPECT_EQ(w.Size(), 17u + 255u * (8 + 1 + 255));
}

TEST(M4bMovie, ItemListHoldsTheTagsTheAudiobookKindAndTheGaplessText) {
    BoxWriter w;
    M4bTags tags;
    tags.title = "Dracula";
    tags.cover = "\x89PNG";
    tags.coverIsPng = true;
    WriteItemList(w, tags, "G");
    const std::string& b = w.Bytes();
    const std::string handler = "\0\0\0\x21hdlr\0\0\0\0\0\0\0\0mdirappl\0\0\0\0\0\0\0\0\0"s;
    const std::string title =
        "\0\0\0\x1F\xA9nam\0\0\0\x17"
        "data\0\0\0\1\0\0\0\0Dracula"s;
    const std::string album =
        "\0\0\0\x1F\xA9"
        "alb\0\0\0\x17"
        "data\0\0\0\1\0\0\0\0Dracula"s;
    const std::string stik =
        "\0\0\0\x19stik\0\0\0\x11"
        "data\0\0\0\x15\0\0\0\0\2"s;
    const std::string covr =
        "\0\0\0\x1C"
        "covr\0\0\0\x14"
        "data\0\0\0\x0E\0\0\0\0\x89PNG"s;
    const std::string gapless =
        "\0\0\0\x49----\0\0\0\x1Cmean\0\0\0\0com.apple.iTunes"s
        "\0\0\0\x14name\0\0\0\0iTunSMPB\0\0\0\x11"
        "data\0\0\0\1\0\0\0\0G"s;
    // Empty texts have no item.
    const std::string items = title + album + stik + covr + gapless;
    EXPECT_EQ(b, "\0\0\0"s + static_cast<char>(12 + handler.size() + 8 + items.size()) +
                     "meta\0\0\0\0"s + handler + "\0\0\0"s + static_cast<char>(8 + items.size()) +
                     "ilst" + items);
}

TEST(M4bMovie, GaplessTextGivesDelayPaddingAndLengthInHexadecimal) {
    EXPECT_EQ(ITunSmpb(1024, 768, 288000),
              " 00000000 00000400 00000300 0000000000046500 00000000 00000000 00000000 "
              "00000000 00000000 00000000 00000000 00000000");
}

TEST(M4bMovie, ChapterSampleIsItsLengthTheTitleAndItsEncoding) {
    EXPECT_EQ(RenderChapterSample("Kapitel 1"),
              "\0\x09Kapitel 1\0\0\0\x0C"
              "encd\0\0\1\0"s);
}

TEST(M4bMovie, MediaDataHeadGrowsTo64BitsPastFourGigabytes) {
    EXPECT_EQ(RenderMediaDataHead(100),
              "\0\0\0\x6C"
              "mdat"s);
    EXPECT_EQ(RenderMediaDataHead(0x100000000), "\0\0\0\1mdat\0\0\0\1\0\0\0\x10"s);
}

}  // namespace
}  // namespace brambex::testing
