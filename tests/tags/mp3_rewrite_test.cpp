// Rewrite passes over inputs built from bytes, checked byte for byte.
#include <gtest/gtest.h>

#include <memory>

#include "support/rewrite_pass.h"
#include "support/tag_bytes.h"
#include "tags/mp3.h"

namespace brambex::testing {
namespace {

const std::string Album = TextFrame("TALB", "Moby Dick");
const std::string Title = TextFrame("TIT2", "Chapter 1");

std::uint32_t SizeOf(const std::string& frames) {
    return static_cast<std::uint32_t>(frames.size());
}

TEST(Mp3Rewrite, UnchangedPassCopiesEveryByte) {
    const std::string input =
        Tag(Album + Title, 100) + Audio(10000) + Trailer("t", "a", "b", 3, 12);
    const PassResult r = RewriteInMemory(input);
    EXPECT_TRUE(r.passed);
    EXPECT_EQ(r.kind, TagKind::V23);
    EXPECT_TRUE(SameBytes(r.output, input));
    EXPECT_EQ(r.diagnostics, "");
}

TEST(Mp3Rewrite, LongerTextUsesPaddingAndAudioKeepsItsOffset) {
    const std::string audio = Audio(5000);
    const std::string input = Tag(Album + Title, 60) + audio + Trailer("", "", "", 0, 0);
    const PassResult r =
        RewriteInMemory(input, Setting({{TagField::Album, "Moby Dick; or, The Whale"}}));
    const std::string frames = TextFrame("TALB", "Moby Dick; or, The Whale") + Title;
    EXPECT_TRUE(SameBytes(r.output, Tag(frames, 60) + audio + Trailer("", "", "", 0, 0)));
    EXPECT_FALSE(r.grew);
}

TEST(Mp3Rewrite, TagGrowsToHoldEveryFrameWhenTheyNoLongerFit) {
    // ffmpeg leaves 10 bytes of padding: a longer title and an added album cannot fit,
    // and the picture and the comment must not make room for them.
    const std::string picture = Frame("APIC", "\0image/jpeg\0\x03\0" + Audio(20000, 7));
    const std::string comment = Frame("COMM", std::string("\0eng\0A note", 11));
    const std::string audio = Audio(6000);
    const std::string input = PaddedTag(Title + picture + comment, 10) + audio + FreshTrailer();
    const PassResult r = RewriteInMemory(
        input, Setting({{TagField::Title, "1-1 Kidnapped"}, {TagField::Album, "Kidnapped"}}));
    const std::string frames =
        TextFrame("TIT2", "1-1 Kidnapped") + picture + comment + TextFrame("TALB", "Kidnapped");
    EXPECT_TRUE(r.grew);
    const std::size_t audioStart = input.size() - audio.size() - 128;
    EXPECT_TRUE(SameBytes(r.output, NewTag(frames, audioStart) + audio + FreshTrailer()));
    EXPECT_EQ(r.frames,
              (std::vector<std::string>{"TIT2=1-1 Kidnapped", "APIC", "COMM", "TALB=Kidnapped"}));
}

TEST(Mp3Rewrite, MissingFramesAreAddedInOrder) {
    const std::string audio = Audio(6000);
    const std::string input = Tag(Title, 200) + audio + FreshTrailer();
    const PassResult r = RewriteInMemory(input, Setting({{TagField::Artist, "Melville"},
                                                         {TagField::Album, "Opera"},
                                                         {TagField::Track, "7"},
                                                         {TagField::Genre, "(12)"}}));
    const std::string frames = Title + TextFrame("TCON", "(12)") + TextFrame("TRCK", "7") +
                               TextFrame("TALB", "Opera") + TextFrame("TPE1", "Melville");
    EXPECT_TRUE(SameBytes(r.output, Tag(frames, 200) + audio + FreshTrailer()));
}

TEST(Mp3Rewrite, AudioOfExactMultiplesOf4096IsCopiedWhole) {
    for (const std::size_t blocks : {1u, 2u, 5u}) {
        const std::string input =
            Tag(Title, 40) + Audio(blocks * 4096 - 128) + Trailer("x", "", "", 1, 2);
        const PassResult r = RewriteInMemory(input);
        EXPECT_TRUE(SameBytes(r.output, input)) << blocks;
        EXPECT_EQ(r.diagnostics, "") << blocks;
    }
}

TEST(Mp3Rewrite, LongFrameIsStreamedAndTheWalkGoesOn) {
    // Most rips carry the cover picture as a frame far above the codec's buffers. A tag
    // that fits the tag reader's 64 KiB buffer is read whole, a longer one 4 KiB at a
    // time. Frames that end just before, on or just after the edge of a block, span
    // several, or make the tag just fit or just miss the buffer must come out whole, and
    // so must the frame after them.
    const std::size_t fits = 64 * 1024 - 200 - SizeOf(Album + Title) - 10 - 14;
    const std::pair<std::size_t, std::size_t> cases[] = {
        {4070, 70000}, {4086, 70000}, {4087, 70000},   {8200, 70000},
        {40000, 200},  {fits, 200},   {fits + 1, 200},
    };
    for (const auto& [size, padding] : cases) {
        std::string picture = "\0image/jpeg\0\x03\0" + Audio(size, 7);
        const std::string frames = Album + Frame("APIC", picture) + Title;
        const std::string input =
            Tag(frames, SizeOf(frames) + padding) + Audio(9000) + FreshTrailer();
        const PassResult r = RewriteInMemory(input);
        EXPECT_EQ(r.frames, (std::vector<std::string>{"TALB=Moby Dick", "APIC", "TIT2=Chapter 1"}))
            << size;
        EXPECT_TRUE(SameBytes(r.output, input)) << size;
        EXPECT_EQ(r.diagnostics, "") << size;
    }
}

TEST(Mp3Rewrite, WalkStopsAtTheTagEndInsteadOfReadingAudioAsAFrame) {
    // The tag is full; the audio right behind it looks like a frame header.
    const std::string audio = Frame("TXXX", "not a frame") + Audio(5000);
    const std::string input = Tag(Album + Title, SizeOf(Album + Title)) + audio + FreshTrailer();
    const PassResult r = RewriteInMemory(input);
    EXPECT_EQ(r.frames, (std::vector<std::string>{"TALB=Moby Dick", "TIT2=Chapter 1"}));
    EXPECT_TRUE(SameBytes(r.output, input));
}

TEST(Mp3Rewrite, ExtendedHeaderIsSkippedAndLeftOutOfTheOutput) {
    const std::string extended = BigEndian32(6) + std::string("\x80\0\0\0\0\0", 6);
    const std::string body = extended + Album;
    const std::string input = TagHeader(60, 0x40) + body + std::string(60 - body.size(), '\0') +
                              Audio(4096) + FreshTrailer();
    const PassResult r = RewriteInMemory(input);
    EXPECT_EQ(r.frames, (std::vector<std::string>{"TALB=Moby Dick"}));
    EXPECT_TRUE(SameBytes(r.output, Tag(Album, 60) + input.substr(70)));
}

TEST(Mp3Rewrite, UnsynchronisedTagIsDecodedAndWrittenPlain) {
    // Every 0xFF in the tag is followed by a stuffed zero, frame headers included.
    const std::string picture =
        Frame("APIC", std::string("\0image/png\0\x03\0\xFF\xE0\xFF", 15) + Audio(3000, 4) + "\xFF");
    const std::string frames = Title + picture + TextFrame("TPE1", "\xFFy");
    const std::string stored = Unsynchronised(frames);
    const auto size = static_cast<std::uint32_t>(stored.size() + 20);
    const std::string audio = Audio(5000);
    const std::string input =
        TagHeader(size, 0x80) + stored + std::string(20, '\0') + audio + FreshTrailer();
    const PassResult r = RewriteInMemory(input, Setting({{TagField::Album, "Opera"}}));
    const std::string expected = frames + TextFrame("TALB", "Opera");
    EXPECT_TRUE(SameBytes(r.output, Tag(expected, size) + audio + FreshTrailer()));
}

TEST(Mp3Rewrite, InputsWithoutATagToWalkGetANewOneAndAreCopiedWhole) {
    const std::string audio = Audio(5000) + Trailer("old", "", "", 0, 0);
    const struct {
        const char* name;
        std::string input;
        const char* diagnostic;
        bool sizeKnown = true;
    } cases[] = {
        {"no tag", audio, ""},
        {"ID3v2.5", TagHeader(20, 0, 5) + std::string(20, '\0') + audio,
         "ID3 version is not 2, 3 or 4\n"},
        {"size byte with top bit", std::string("ID3\x03\0\0\x80\0\0\x10", 10) + audio,
         "ID3 tag size is invalid\n"},
        // Read as a size of 2^32-1 this made an input of unknown size look tagged, and
        // its header came out twice.
        {"size byte with top bit, size unknown", std::string("ID3\x03\0\0\x80\0\0\x10", 10) + audio,
         "ID3 tag size is invalid\n", false},
        {"tag larger than file", TagHeader(100000) + audio, "ID3 tag size is invalid\n"},
        {"short header", std::string("ID3\x03\0", 5),
         "ID3 tag size is invalid\nNot enough MP3 data!\n"},
        {"bad extended header",
         TagHeader(20, 0x40) + BigEndian32(900) + std::string(16, '\0') + audio,
         "ID3 tag cannot be read frame by frame\n"},
        {"frame past the end of the tag",
         TagHeader(SizeOf(Album) + 60) + Album + "TPE1" + BigEndian32(500) + std::string(52, 'z') +
             audio,
         "Frame too big: 500\n"},
        {"compressed ID3v2.2 tag", TagHeader(20, 0x40, 2) + std::string(20, '\0') + audio,
         "ID3v2.2 tag is compressed\n"},
    };
    for (const auto& c : cases) {
        PassSteps steps = Setting({{TagField::Album, "new album"}});
        steps.sizeKnown = c.sizeKnown;
        const PassResult r = RewriteInMemory(c.input, steps);
        EXPECT_TRUE(r.passed) << c.name;
        EXPECT_EQ(r.diagnostics, c.diagnostic) << c.name;
        EXPECT_NE(r.kind, TagKind::V23) << c.name;
        const bool hasTrailer =
            c.input.size() >= 128 && c.input.compare(c.input.size() - 128, 3, "TAG") == 0;
        const std::string body = hasTrailer ? c.input.substr(0, c.input.size() - 128) : c.input;
        const std::string trailer =
            hasTrailer ? c.input.substr(c.input.size() - 128) : FreshTrailer();
        EXPECT_TRUE(SameBytes(r.output, NewTag(TextFrame("TALB", "new album"), 0) + body + trailer))
            << c.name;
    }
}

// ID3v2.4 frames and what their ID3v2.3 form is, each in a tag of its own with room to
// spare, so that the output tag keeps the input's size.
TEST(Mp3Rewrite, Id3v24FramesAreConvertedRuleByRule) {
    const std::string polish = "\x01\xFF\xFE" + Utf16Le(u"Łódź");
    const std::string dli = std::string("\0\0\0\x05", 4);
    const struct {
        const char* rule;
        std::string frames24;
        std::string frames23;
        const char* note = "";
    } cases[] = {
        {"UTF-8 that ISO-8859-1 holds",
         Frame24("TIT2",
                 "\x03"
                 "Caf\xC3\xA9"),
         TextFrame("TIT2", "Caf\xE9")},
        {"UTF-8 beyond ISO-8859-1",
         Frame24("TIT2",
                 "\x03\xC5\x81\xC3\xB3"
                 "d\xC5\xBA"),
         Frame("TIT2", polish)},
        {"UTF-16BE", Frame24("TPE1", "\x02" + Utf16Be(u"Ab")), TextFrame("TPE1", "Ab")},
        {"several values", Frame24("TPE1", std::string("\x03One\0Two\0", 9)),
         TextFrame("TPE1", "One/Two")},
        {"comment texts",
         Frame24("COMM", std::string("\x03"
                                     "eng"
                                     "d\xC3\xAA\0"
                                     "\xE2\x9C\x93",
                                     11)),
         Frame("COMM",
               "\x01"
               "eng"
               "\xFF\xFE" +
                   Utf16Le(u"dê") + std::string(2, '\0') + "\xFF\xFE" + Utf16Le(u"\u2713"))},
        {"genres by number",
         Frame24("TCON", std::string("\x03"
                                     "17\0(12)\0RX\0Audiobook",
                                     21)),
         TextFrame("TCON", "Rock/Other/Remix/Audiobook")},
        {"user text",
         Frame24("TXXX", std::string("\x03"
                                     "CAT\0X1\0X2",
                                     10)),
         Frame("TXXX", std::string("\0CAT\0X1/X2", 10))},
        {"user link", Frame24("WXXX", std::string("\x03h\xC3\xB4\0http://x", 13)),
         Frame("WXXX", std::string("\0h\xF4\0http://x", 12))},
        {"picture description",
         Frame24("APIC", std::string("\x03image/png\0\x03"
                                     "C\xC3\xB4\0\xFF\xD8",
                                     18)),
         Frame("APIC", std::string("\0image/png\0\x03"
                                   "C\xF4\0\xFF\xD8",
                                   17))},
        {"lyrics",
         Frame24("USLT", std::string("\x03"
                                     "eng\0Line",
                                     9)),
         Frame("USLT", std::string("\0eng\0Line", 9))},
        {"recording time",
         Frame24("TDRC",
                 "\x03"
                 "2019-03-07T10:20"),
         TextFrame("TYER", "2019") + TextFrame("TDAT", "0703") + TextFrame("TIME", "1020")},
        {"recording time at midnight",
         Frame24("TDRC",
                 "\x03"
                 "2001-05-03T00:00"),
         TextFrame("TYER", "2001") + TextFrame("TDAT", "0305") + TextFrame("TIME", "0000")},
        {"sort order as it is",
         Frame24("TSOA",
                 "\x03"
                 "Caf\xC3\xA9"),
         TextFrame("TSOA", "Caf\xE9")},
        {"mood as a user text",
         Frame24("TMOO",
                 "\x03"
                 "Calm"),
         Frame("TXXX", std::string("\0MOOD\0Calm", 10))},
        // -3175/512 dB; a 16-bit peak of 0x7E89, as mutagen reads it.
        {"volume of the track", Frame24("RVA2", std::string("track\0\x01\xF3\x99\x10\x7E\x89", 12)),
         Frame("TXXX", std::string("\0REPLAYGAIN_TRACK_GAIN\0-6.20 dB", 31)) +
             Frame("TXXX", std::string("\0REPLAYGAIN_TRACK_PEAK\0000.988556", 31))},
        {"volume of the album",
         Frame24("RVA2", std::string("My Album\0\x02\0\x10\x08\x01\x01\x01\x00\x08\x80", 19)),
         Frame("TXXX", std::string("\0REPLAYGAIN_ALBUM_GAIN\0000.50 dB", 30)) +
             Frame("TXXX", std::string("\0REPLAYGAIN_ALBUM_PEAK\0001.000000", 31))},
        {"synchronised lyrics",
         Frame24("SYLT", std::string("\x03"
                                     "eng\x02\x01\0l\xC3\xA1\0\0\0\0\x10",
                                     15)),
         Frame("SYLT", std::string("\0"
                                   "eng\x02\x01\0l\xE1\0\0\0\0\x10",
                                   14))},
        {"recording year",
         Frame24("TDRC",
                 "\x03"
                 "1999"),
         TextFrame("TYER", "1999")},
        {"recording year beside a year",
         Frame24("TDRC",
                 "\x03"
                 "1999") +
             TextFrame("TYER", "1998"),
         TextFrame("TYER", "1998")},
        {"original release",
         Frame24("TDOR",
                 "\x03"
                 "1886-01"),
         TextFrame("TORY", "1886")},
        {"people",
         Frame24("TIPL", std::string("\x03producer\0Bob", 13)) +
             Frame24("TMCL", std::string("\x03piano\0Ann", 10)),
         Frame("IPLS", std::string("\0producer\0Bob\0piano\0Ann\0", 24))},
        {"unsynchronised with data length",
         Frame24("TPE1",
                 dli + Unsynchronised(std::string("\0\xFF"
                                                  "abc",
                                                  5)),
                 std::string("\0\x03", 2)),
         Frame("TPE1", std::string("\0\xFF"
                                   "abc",
                                   5))},
        {"grouped",
         Frame24("TALB",
                 "\x07\x03"
                 "Abc",
                 std::string("\0\x40", 2)),
         Frame("TALB", std::string("\x07\0Abc", 5), std::string("\0\x20", 2))},
        {"status bits",
         Frame24("TALB",
                 "\x03"
                 "Abc",
                 std::string("\x60\0", 2)),
         Frame("TALB", std::string("\0Abc", 4), std::string("\xC0\0", 2))},
        {"chapter",
         Frame24("CHAP", std::string("ch1\0", 4) + std::string(16, '\x01') +
                             Frame24("TIT2",
                                     "\x03\xC5\x81\xC3\xB3"
                                     "d\xC5\xBA") +
                             Frame24("TDRC",
                                     "\x03"
                                     "1999")),
         Frame("CHAP", std::string("ch1\0", 4) + std::string(16, '\x01') + Frame("TIT2", polish)),
         "Frames with no ID3v2.3 form left out: TDRC\n"},
        {"table of contents",
         Frame24("CTOC", std::string("toc\0\x03\x01"
                                     "ch1\0",
                                     10) +
                             Frame24("TIT2",
                                     "\x03"
                                     "Contents")),
         Frame("CTOC", std::string("toc\0\x03\x01"
                                   "ch1\0",
                                   10) +
                           TextFrame("TIT2", "Contents"))},
        {"binary frame as it is", Frame24("PRIV", std::string("owner\0\x01\x02", 8)),
         Frame("PRIV", std::string("owner\0\x01\x02", 8))},
    };
    // In a tag that fits the tag reader's buffer a frame is taken from the tag's bytes;
    // in a longer one it is read on its own.
    for (const std::size_t padding : {100u, 70000u}) {
        for (const auto& c : cases) {
            const std::string audio = Audio(5000);
            const std::string input = PaddedTag(c.frames24, padding, 4) + audio + FreshTrailer();
            const PassResult r = RewriteInMemory(input);
            EXPECT_EQ(r.kind, TagKind::V24) << c.rule;
            EXPECT_EQ(r.diagnostics, c.note) << c.rule;
            EXPECT_TRUE(SameBytes(
                r.output, Tag(c.frames23, SizeOf(c.frames24) + padding) + audio + FreshTrailer()))
                << c.rule << " " << padding;
        }
    }
}

TEST(Mp3Rewrite, LongId3v24FramesAreConvertedAcrossEveryBufferEdge) {
    // Texts are read 4 KiB at a time, tags up to 64 KiB at once: a two-byte character,
    // or a surrogate pair, that an edge splits must come out whole, however long the
    // frame.
    for (const std::size_t size : {4094u, 4096u, 16383u, 16384u, 16385u, 65534u, 65536u, 70001u}) {
        for (const std::size_t shift : {0u, 1u}) {
            std::string utf8(shift, 'a');
            std::string latin1(shift, 'a');
            std::u16string pairs(shift, u'a');
            while (utf8.size() < size) {
                utf8 += "\xC3\xA9";
                latin1 += "\xE9";
                pairs += u"\U0001F600";
            }
            const std::string utf16 = "\xFF\xFE" + Utf16Le(pairs);
            const std::string lyrics = std::string(
                                           "eng"
                                           "d\0",
                                           5) +
                                       utf8;
            const std::string user = "\xFF\xFE" + Utf16Le(u"d") + std::string(2, '\0') + utf16;
            const std::string frames24 =
                Frame24("USLT", "\x03" + lyrics) + Frame24("TXXX", "\x01" + user) + Title;
            const std::string frames23 = Frame("USLT", std::string("\0eng"
                                                                   "d\0",
                                                                   6) +
                                                           latin1) +
                                         Frame("TXXX", "\x01" + user) + Title;
            const std::string audio = Audio(5000);
            const PassResult r =
                RewriteInMemory(PaddedTag(frames24, 100, 4) + audio + FreshTrailer());
            EXPECT_EQ(r.diagnostics, "") << size;
            EXPECT_TRUE(
                SameBytes(r.output, Tag(frames23, SizeOf(frames24) + 100) + audio + FreshTrailer()))
                << size << " " << shift;
        }
    }
}

TEST(Mp3Rewrite, ChapterWithALargePictureIsConvertedFrameByFrame) {
    const std::string picture = std::string(
                                    "image/png\0\x03"
                                    "C\xC3\xB4\0",
                                    15) +
                                Audio(100000, 3);
    const std::string head = std::string("ch1\0", 4) + std::string(16, '\x01');
    const std::string frames24 =
        Frame24("CHAP", head + Frame24("TIT2", "\x03\xC5\x81") + Frame24("APIC", "\x03" + picture) +
                            Frame24("SEEK", "\0\0\0\x10")) +
        Title;
    std::string picture23 = picture;
    picture23.replace(11, 3, "C\xF4");
    const std::string frames23 =
        Frame("CHAP", head + Frame("TIT2", "\x01\xFF\xFE" + Utf16Le(u"Ł")) +
                          Frame("APIC", std::string(1, '\0') + picture23)) +
        Title;
    const std::string audio = Audio(5000);
    const PassResult r = RewriteInMemory(PaddedTag(frames24, 100, 4) + audio + FreshTrailer());
    EXPECT_EQ(r.diagnostics, "Frames with no ID3v2.3 form left out: SEEK\n");
    EXPECT_TRUE(
        SameBytes(r.output, Tag(frames23, SizeOf(frames24) + 100) + audio + FreshTrailer()));
}

TEST(Mp3Rewrite, SecondTagRightAfterTheFirstIsMergedIntoIt) {
    // The second tag lacks nothing the first has but a comment of another description,
    // a year and a user text; its title, picture and same-described comment are stale.
    const std::string comment = Frame("COMM", std::string("\0eng\0A note", 11));
    const std::string picture = Frame("APIC", std::string("\0image/png\0\x03\0", 13) + Audio(300));
    const std::string first = PaddedTag(Title + comment + picture, 20);
    const std::string second =
        PaddedTag(Frame24("TIT2", "\x03Old") +
                      Frame24("COMM", std::string("\x03"
                                                  "eng\0Stale",
                                                  10)) +
                      Frame24("COMM", std::string("\x03"
                                                  "eng"
                                                  "d\0Other",
                                                  11)) +
                      Frame24("APIC", std::string("\0image/png\0\x03\0old", 16)) +
                      Frame24("TDRC",
                              "\x03"
                              "1999") +
                      Frame24("TXXX", std::string("\x03"
                                                  "CAT\0X1",
                                                  7)),
                  30, 4);
    const std::string audio = Audio(6000);
    const PassResult r = RewriteInMemory(first + second + audio + FreshTrailer());
    EXPECT_EQ(r.diagnostics,
              "A second ID3v2 tag follows the first: its frames were merged into one tag\n");
    const std::string frames = Title + comment + picture +
                               Frame("COMM", std::string("\0eng"
                                                         "d\0Other",
                                                         11)) +
                               TextFrame("TYER", "1999") +
                               Frame("TXXX", std::string("\0CAT\0X1", 7));
    EXPECT_TRUE(
        SameBytes(r.output, Tag(frames, SizeOf(first + second) - 10) + audio + FreshTrailer()));
}

TEST(Mp3Rewrite, SecondTagsTimeStampGivesTheDateFramesTheFirstLacks) {
    // Found by the fuzzer: the two walks disagreed on a time stamp whose year the first
    // tag has, and the pass failed.
    const std::string year = TextFrame("TYER", "1851");
    const std::string first = PaddedTag(Title + year, 20);
    const std::string second = PaddedTag(Frame24("TDRC",
                                                 "\x03"
                                                 "2019-03-07T10:20"),
                                         8, 4);
    const std::string audio = Audio(6000);
    const PassResult r = RewriteInMemory(first + second + audio + FreshTrailer());
    EXPECT_TRUE(r.passed);
    EXPECT_TRUE(SameBytes(r.output.substr(0, SizeOf(first + second)),
                          Tag(Title + year + TextFrame("TDAT", "0703") + TextFrame("TIME", "1020"),
                              SizeOf(first + second) - 10)));
}

TEST(Mp3Rewrite, SecondTagThatCannotBeWalkedStaysAudio) {
    // As a broken tag alone does: nothing of it is lost, and the first tag is kept.
    const std::string first = PaddedTag(Title, 20);
    const std::string second = std::string("ID3\x03\0\0\0\0\0\x1E", 10) +
                               Frame("TPE1", std::string(101, '\0')).substr(0, 30);
    const std::string audio = Audio(6000);
    const PassResult r = RewriteInMemory(first + second + audio + FreshTrailer());
    EXPECT_EQ(r.diagnostics,
              "Frame too big: 101\n"
              "A second ID3v2 tag follows the first but cannot be read: kept as audio\n");
    EXPECT_TRUE(
        SameBytes(r.output, Tag(Title, SizeOf(first) - 10) + second + audio + FreshTrailer()));
}

TEST(Mp3Rewrite, SecondTagReachingIntoTheTagsAfterTheAudioStaysAudio) {
    // What a broken tag kept as audio looks like once a fresh trailer follows it, or an
    // APE tag whose texts the merge changed.
    const std::string first = PaddedTag(Title, 20);
    const std::string audio = Audio(6000);
    const std::string second = TagHeader(6000 + 64) + TextFrame("TALB", "Old");
    for (const std::string& after :
         {FreshTrailer(), ApeTagOf(ApeItem("Comment", std::string(200, 'c')), 1)}) {
        const PassResult r = RewriteInMemory(first + second + audio + after);
        EXPECT_EQ(r.diagnostics, "");
        EXPECT_TRUE(SameBytes(r.output.substr(0, SizeOf(first) + second.size() + audio.size()),
                              Tag(Title, SizeOf(first) - 10) + second + audio));
    }
}

TEST(Mp3Rewrite, ThreeTagsInARowKeepAllButTheFirstAsAudio) {
    const std::string first = PaddedTag(Title, 20);
    const std::string rest = PaddedTag(TextFrame("TALB", "Old"), 8) + PaddedTag(Title, 8);
    const std::string audio = Audio(6000);
    const PassResult r = RewriteInMemory(first + rest + audio + FreshTrailer());
    EXPECT_EQ(r.diagnostics,
              "More than two ID3v2 tags in a row: those after the first kept as audio\n");
    EXPECT_TRUE(
        SameBytes(r.output, Tag(Title, SizeOf(first) - 10) + rest + audio + FreshTrailer()));
}

TEST(Mp3Rewrite, Id3v24FramesThatId3v23CannotHoldAreLeftOutAndNamed) {
    // Seek points mean nothing in a 2.3 tag; an encrypted frame cannot be read.
    const std::string frames = Title + Frame24("SEEK", "\0\0\0\x10") + Frame24("ASPI", "x") +
                               Frame24("TALB", "\x01", std::string("\0\x04", 2)) +
                               Frame24("COMM", "\x07eng");
    const std::string audio = Audio(5000);
    const PassResult r = RewriteInMemory(PaddedTag(frames, 0, 4) + audio + FreshTrailer());
    EXPECT_EQ(r.diagnostics,
              "Frames with no ID3v2.3 form left out: SEEK ASPI\n"
              "Frames that cannot be read left out: TALB COMM\n");
    EXPECT_TRUE(SameBytes(r.output, Tag(Title, SizeOf(frames)) + audio + FreshTrailer()));
}

TEST(Mp3Rewrite, Id3v24TagLayout) {
    // An extended header and a footer; frame headers outside unsynchronisation, frame
    // data inside it.
    const std::string extended = Syncsafe32(6) + std::string("\x01\0", 2);
    const std::string frame = Frame24("TPE1", Unsynchronised(std::string("\0\xFF", 2)));
    const auto size = static_cast<std::uint32_t>(extended.size() + frame.size() + 30);
    const std::string audio = Audio(5000);
    const std::string input = TagHeader(size, 0xD0, 4) + extended + frame + std::string(30, '\0') +
                              "3DI\x04" + std::string(6, '\0') + audio + FreshTrailer();
    const PassResult r = RewriteInMemory(input);
    EXPECT_TRUE(
        SameBytes(r.output, Tag(TextFrame("TPE1", "\xFF"), size + 10) + audio + FreshTrailer()));
}

TEST(Mp3Rewrite, Id3v22FramesTakeTheirId3v23Ids) {
    const std::string frames = Frame22("TT2", std::string("\0Chapter 1", 10)) +
                               Frame22("PIC", std::string("\0JPG\x03\0\xFF\xD8", 8)) +
                               Frame22("PIC", std::string("\0PNG\x03\0\x89P", 8)) +
                               Frame22("CRM", "owner") +
                               Frame22("COM", std::string("\0eng\0Note", 9));
    const std::string audio = Audio(5000);
    const PassResult r = RewriteInMemory(PaddedTag(frames, 100, 2) + audio + FreshTrailer());
    EXPECT_EQ(r.kind, TagKind::V22);
    EXPECT_EQ(r.diagnostics, "Frames with no ID3v2.3 form left out: CRM\n");
    const std::string expected = Title +
                                 Frame("APIC", std::string("\0image/jpeg\0\x03\0\xFF\xD8", 16)) +
                                 Frame("APIC", std::string("\0image/png\0\x03\0\x89P", 15)) +
                                 Frame("COMM", std::string("\0eng\0Note", 9));
    EXPECT_TRUE(SameBytes(r.output, Tag(expected, SizeOf(frames) + 100) + audio + FreshTrailer()));
}

TEST(Mp3Rewrite, ShortAudioIsReportedAndCopiedAllTheSame) {
    for (const std::size_t n : {0u, 100u, 127u, 128u, 129u, 4000u}) {
        const std::string audio = Audio(n);
        const PassResult r = RewriteInMemory(Tag(Title, 30) + audio);
        EXPECT_EQ(r.diagnostics, "Not enough MP3 data!\n") << n;
        EXPECT_TRUE(r.passed) << n;
        // None of these ends in "TAG", so all of it is audio and a fresh trailer follows.
        EXPECT_TRUE(SameBytes(r.output, Tag(Title, 30) + audio + FreshTrailer())) << n;
    }
}

TEST(Mp3Rewrite, TrailerKeepsTheTracksOwnTitleAndGenreFromItsFrames) {
    // A track without an ID3v1 trailer: what it keeps comes from its TIT2 and TCON.
    const std::string audio = Audio(9000);
    const struct {
        const char* genreText;
        int genre;
    } cases[] = {{"(17)", 17}, {"(17)Rock", 17}, {"17", 17}, {"rock", 17}, {"Spoken", 255}};
    for (const auto& c : cases) {
        const PassResult r =
            RewriteInMemory(Tag(Title + TextFrame("TCON", c.genreText), 60) + audio,
                            {.edit = [](const MP3&, TagEdits& edits) {
                                edits.editTrailer = true;
                                edits.trailerArtist = "A";
                                edits.trailerAlbum = "B";
                                edits.trailerTrack = 2;
                            }});
        EXPECT_EQ(r.output.substr(r.output.size() - 128),
                  Trailer("Chapter 1", "A", "B", 2, c.genre))
            << c.genreText;
    }
}

TEST(Mp3Rewrite, FailedWritesMakeThePassFail) {
    const std::string input = Tag(Title, 30) + Audio(50000) + FreshTrailer();
    // Fail in the tag, in the audio and in the trailer.
    for (const std::size_t limit : {std::size_t{5}, std::size_t{20000}, input.size() - 1}) {
        const PassResult r = RewriteInMemory(input, {.outputLimit = limit});
        EXPECT_EQ(r.output.size(), limit);
        EXPECT_FALSE(r.passed) << limit;
        EXPECT_EQ(r.diagnostics, "Cannot write the output: No space left on device\n") << limit;
    }
}

TEST(Mp3Rewrite, ReadingPassSeesFieldsAndTrailerWithoutWriting) {
    const std::string input = Tag(Album + Title + Frame24("TPE1", "x"), 64) + Audio(8000) +
                              Trailer("Track", "Melville", "Moby", 4, 101);
    InputFile in;
    in.OpenMemory(reinterpret_cast<const unsigned char*>(input.data()), input.size());
    NoDiagnostics quiet;
    MP3 mp3(quiet);
    ASSERT_TRUE(mp3.Read(in));
    EXPECT_EQ(mp3.InputText(TagField::Album), "Moby Dick");
    EXPECT_EQ(mp3.InputText(TagField::Title), "Chapter 1");
    EXPECT_TRUE(mp3.HasInputFrame(TagField::Artist));
    EXPECT_FALSE(mp3.HasInputFrame(TagField::Band));
    EXPECT_TRUE(mp3.Layout().trailer);
    EXPECT_EQ(mp3.Id3v1().Title(), "Track");
    EXPECT_EQ(mp3.Id3v1().Artist(), "Melville");
    EXPECT_EQ(mp3.Id3v1().Genre(), 101);
    EXPECT_EQ(mp3.Id3v1().Track(), 4);

    // The same codec and stream over another input laid out alike read that one afresh.
    std::string other = input;
    other.replace(other.find("Chapter 1"), 9, "Chapter 2");
    in.OpenMemory(reinterpret_cast<const unsigned char*>(other.data()), other.size());
    ASSERT_TRUE(mp3.Read(in));
    EXPECT_EQ(mp3.InputText(TagField::Title), "Chapter 2");

    // Nor does an input without a tag keep the texts of the one before, or fail for them.
    const std::string untagged = Audio(8000);
    in.OpenMemory(reinterpret_cast<const unsigned char*>(untagged.data()), untagged.size());
    ASSERT_TRUE(mp3.Read(in));
    EXPECT_FALSE(mp3.HasInputFrame(TagField::Title));
    EXPECT_EQ(mp3.InputText(TagField::Title), "");
    EXPECT_FALSE(mp3.Layout().trailer);
}

TEST(Mp3Rewrite, AFailedPassLeavesTheNextOnTheSameCodecWhole) {
    struct KeepAll : TagEditor {
        bool Edit(const MP3&, TagEdits&) override { return true; }
    } keep;
    const std::string input = Tag(Title, 30) + Audio(5000) + FreshTrailer();
    InputFile in;
    in.OpenMemory(reinterpret_cast<const unsigned char*>(input.data()), input.size());
    DiagnosticText diagnostics;
    auto mp3 = std::make_unique<MP3>(diagnostics);
    std::string cut, whole;
    OutputFile out;
    out.CreateMemory(&cut, 5);
    EXPECT_FALSE(mp3->Rewrite(in, &out, keep));
    in.Seek(0);
    out.CreateMemory(&whole);
    EXPECT_TRUE(mp3->Rewrite(in, &out, keep));
    EXPECT_FALSE(mp3->Failed());
    EXPECT_TRUE(SameBytes(whole, RewriteInMemory(input).output));
    EXPECT_EQ(diagnostics.text, "Cannot write the output: No space left on device\n");
}

TEST(Mp3Rewrite, CompressedFrameHasNoTextAndLosesItsFlagsWhenReplaced) {
    const std::string compressed =
        Frame("TIT2", std::string("\0\0\0\x10xxxxxx", 10), std::string("\0\x80", 2));
    const PassResult r = RewriteInMemory(Tag(compressed, 40) + Audio(4096) + FreshTrailer(),
                                         {.edit = [](const MP3& input, TagEdits& edits) {
                                             EXPECT_EQ(input.InputText(TagField::Title), "");
                                             edits.Set(TagField::Title, "Plain");
                                         }});
    EXPECT_EQ(r.output.substr(0, 26), TagHeader(40) + TextFrame("TIT2", "Plain"));
}

}  // namespace
}  // namespace brambex::testing
