// The bytes of the M4B boxes that carry the book's chapters, tags and gapless length.
#include "m4b/m4b_movie.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "m4b/box_writer.h"

namespace brambex::testing {
namespace {

using namespace std::string_literals;

std::uint64_t Big(std::string_view bytes, std::size_t at, int width) {
    std::uint64_t v = 0;
    for (int i = 0; i < width; ++i)
        v = v << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}

// The nth child of this type of a container box (whose children follow its header).
std::string_view Child(std::string_view box, std::string_view type, int nth = 0) {
    for (std::size_t at = 8; at + 8 <= box.size();) {
        const auto size = static_cast<std::size_t>(Big(box, at, 4));
        if (size < 8 || at + size > box.size())
            break;
        if (box.substr(at + 4, 4) == type && nth-- == 0)
            return box.substr(at, size);
        at += size;
    }
    ADD_FAILURE() << "no " << type;
    return {};
}

std::string_view Path(std::string_view box, std::initializer_list<std::string_view> types) {
    for (std::string_view type : types)
        box = Child(box, type);
    return box;
}

// A movie of `packets` packets of 10 bytes whose data starts at dataStart, with the
// packets' sizes put into their place as the book's writer copies them in.
struct Movie {
    explicit Movie(std::uint64_t dataStart, std::uint64_t packets = 600) {
        audio.sampleRate = 44100;
        audio.channels = 2;
        audio.config = "\x12\x10";
        audio.samples = packets * 1024 - 1024 - 500;
        for (std::uint64_t i = 0; i < packets; ++i)
            audio.packets.Add(10);
        rendered = RenderMovie(audio, chapters, {}, dataStart);
        bytes = rendered.bytes;
        std::string sizes;
        for (std::uint64_t i = 0; i < packets; ++i)
            sizes += "\0\0\0\x0A"s;
        bytes.insert(rendered.sizesAt, sizes);
    }
    M4bAudio audio;
    const M4bChapter chapters[2] = {{"One", 0}, {"Two", 44100}};
    RenderedMovie rendered;
    std::string bytes;
};

TEST(M4bMovie, SampleTablesPlaceEveryPacketAndTheEditListSkipsTheEncoderDelay) {
    const Movie movie(1000);
    const std::string_view moov = movie.bytes;
    ASSERT_EQ(Big(moov, 0, 4), moov.size());
    // The movie counts milliseconds: 612 876 samples at 44.1 kHz, rounded up.
    const std::string_view mvhd = Child(moov, "mvhd");
    EXPECT_EQ(Big(mvhd, 20, 4), 1000u);
    EXPECT_EQ(Big(mvhd, 24, 4), 13898u);
    const std::string_view audio = Child(moov, "trak");
    const std::string_view elst = Path(audio, {"edts", "elst"});
    EXPECT_EQ(Big(elst, 16, 4), 13898u);  // plays the book's samples alone,
    EXPECT_EQ(Big(elst, 20, 4), 1024u);   // after the encoder's delay
    EXPECT_EQ(Big(Path(audio, {"tref", "chap"}), 8, 4), 2u);
    const std::string_view stbl = Path(audio, {"mdia", "minf", "stbl"});
    EXPECT_EQ(Child(stbl, "stts").substr(12), "\0\0\0\1\0\0\x02\x58\0\0\x04\0"s);
    // Chunks of 256 packets, the last holding the 88 left.
    EXPECT_EQ(Child(stbl, "stsc").substr(12),
              "\0\0\0\2\0\0\0\1\0\0\1\0\0\0\0\1\0\0\0\3\0\0\0\x58\0\0\0\1"s);
    const std::string_view stsz = Child(stbl, "stsz");
    EXPECT_EQ(Big(stsz, 16, 4), 600u);
    ASSERT_EQ(stsz.size(), 20u + 600u * 4);
    EXPECT_EQ(Big(stsz, 20 + 599 * 4, 4), 10u);
    const std::string_view stco = Child(stbl, "stco");
    EXPECT_EQ(Big(stco, 12, 4), 3u);
    EXPECT_EQ(Big(stco, 16, 4), 1000u);
    EXPECT_EQ(Big(stco, 20, 4), 1000u + 2560u);
    EXPECT_EQ(Big(stco, 24, 4), 1000u + 5120u);
    // The chapter titles follow the audio: a second at 44.1 kHz, then the rest.
    const std::string_view text = Path(Child(moov, "trak", 1), {"mdia", "minf", "stbl"});
    EXPECT_EQ(Big(Child(text, "stco"), 16, 4), 1000u + 6000u);
    EXPECT_EQ(Child(text, "stts").substr(12, 20),
              "\0\0\0\2\0\0\0\1\0\0\xAC\x44\0\0\0\1\0\x08\xAD\xC8"s);
}

// The packets' sizes are the movie's one table that grows with the book; they are
// written from the encoder's files, so the movie held in memory grows only by a chunk
// offset per 256 packets.
TEST(M4bMovie, MovieHeldInMemoryLeavesOutThePacketSizes) {
    const Movie short_(1000), long_(1000, 600 * 256 + 88);
    EXPECT_EQ(long_.rendered.sizesBytes, (600u * 256 + 88) * 4);
    EXPECT_EQ(long_.rendered.bytes.size() - short_.rendered.bytes.size(), (601u - 3) * 4);
    EXPECT_EQ(Big(long_.bytes, 0, 4), long_.rendered.Size());
}

// Pieces count their packets from their own first; appended, they place the chunks as
// one count of the whole book would.
TEST(M4bMovie, TalliesOfPiecesAppendAsOneTallyOfTheBook) {
    PacketTally whole, first, second, third;
    second.first = 300;
    third.first = 600;
    for (std::uint32_t i = 0; i < 900; ++i) {
        whole.Add(i);
        (i < 300 ? first : i < 600 ? second : third).Add(i);
    }
    first.Append(second);
    first.Append(third);
    EXPECT_EQ(first.chunkStarts, whole.chunkStarts);
    EXPECT_EQ(whole.chunkStarts, (std::vector<std::uint64_t>{0, 32640, 130816, 294528}));
    EXPECT_EQ(first.bytes, whole.bytes);
    EXPECT_EQ(first.packets, 900u);
    EXPECT_EQ(first.largest, 899u);
}

TEST(M4bMovie, ChunkOffsetsPastFourGigabytesTake64Bits) {
    const Movie movie(0xFFFFF000u);
    const std::string_view stbl = Path(movie.bytes, {"trak", "mdia", "minf", "stbl"});
    const std::string_view co64 = Child(stbl, "co64");
    EXPECT_EQ(Big(co64, 12, 4), 3u);
    EXPECT_EQ(Big(co64, 16, 8), 0xFFFFF000u);
    EXPECT_EQ(Big(co64, 32, 8), std::uint64_t{0xFFFFF000} + 5120);
}

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

// The Nero list counts its chapters in a byte; the chapter track has no such limit.
TEST(M4bMovie, ChapterTrackHoldsEveryChapterWhereTheNeroListHasTheFirst255) {
    M4bAudio audio;
    audio.sampleRate = 44100;
    audio.samples = 300 * 1024;
    for (int i = 0; i < 302; ++i)
        audio.packets.Add(10);
    std::vector<M4bChapter> chapters;
    for (std::uint64_t i = 0; i < 300; ++i)
        chapters.push_back({"Part " + std::to_string(i + 1), i * 1024});
    const RenderedMovie movie = RenderMovie(audio, chapters, {}, 0);
    std::string moov = movie.bytes;
    moov.insert(movie.sizesAt, movie.sizesBytes, '\0');
    const std::string_view text = Path(Child(moov, "trak", 1), {"mdia", "minf", "stbl"});
    EXPECT_EQ(Big(Child(text, "stsz"), 16, 4), 300u);
    EXPECT_EQ(Big(Path(moov, {"udta", "chpl"}), 16, 1), 255u);
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
