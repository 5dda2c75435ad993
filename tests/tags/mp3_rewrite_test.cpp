// Rewrite passes over inputs built from bytes, checked byte for byte.
#include <gtest/gtest.h>

#include "support/rewrite_pass.h"
#include "support/tag_bytes.h"
#include "tags/mp3.h"

namespace brambex::testing {
namespace {

const std::string Album = TextFrame("TALB", "Moby Dick");
const std::string Title = TextFrame("TIT2", "Chapter 1");

TEST(Mp3Rewrite, UnchangedPassCopiesEveryByte) {
    const std::string input =
        Tag(Album + Title, 100) + Audio(10000) + Trailer("t", "a", "b", 3, 12);
    const PassResult r = RewriteInMemory(input);
    EXPECT_TRUE(r.headerRead);
    EXPECT_TRUE(r.audioCopied);
    EXPECT_TRUE(r.trailerWritten);
    EXPECT_TRUE(SameBytes(r.output, input));
    EXPECT_EQ(r.diagnostics, "");
}

TEST(Mp3Rewrite, LongerTextUsesPaddingAndAudioKeepsItsOffset) {
    const std::string audio = Audio(5000);
    const std::string input = Tag(Album + Title, 60) + audio + Trailer("", "", "", 0, 0);
    const PassResult r = RewriteInMemory(input, {.onFrame = [](MP3& mp3) {
                                             if (mp3.IsFrame("TALB")) {
                                                 mp3.SetFrameText("Moby Dick; or, The Whale");
                                             }
                                             return true;
                                         }});
    const std::string frames = TextFrame("TALB", "Moby Dick; or, The Whale") + Title;
    EXPECT_TRUE(SameBytes(r.output, Tag(frames, 60) + audio + Trailer("", "", "", 0, 0)));
}

TEST(Mp3Rewrite, FrameThatNoLongerFitsIsLeftOutButLaterSmallerOneIsWritten) {
    // No padding: the grown album cannot fit, the unchanged title still can.
    const std::string audio = Audio(4096);
    const std::string input =
        Tag(Album + Title, static_cast<std::uint32_t>((Album + Title).size())) + audio +
        FreshTrailer();
    const PassResult r =
        RewriteInMemory(input, {.onFrame = [](MP3& mp3) {
                            if (mp3.IsFrame("TALB")) {
                                mp3.SetFrameText("A much longer album title that cannot fit");
                            }
                            return true;
                        }});
    const std::string expectedTag = TagHeader(static_cast<std::uint32_t>((Album + Title).size())) +
                                    Title + std::string(Album.size(), '\0');
    EXPECT_TRUE(SameBytes(r.output, expectedTag + audio + FreshTrailer()));
}

TEST(Mp3Rewrite, AddedFramesFillTheSpaceOfDroppedOnes) {
    const std::string audio = Audio(6000);
    const std::string input = Tag(Album + Title, 80) + audio + FreshTrailer();
    const PassResult r = RewriteInMemory(
        input, {.onFrame = [](MP3& mp3) { return !mp3.IsFrame("TALB"); },
                .addFrames =
                    [](MP3& mp3, OutputFile& out) {
                        mp3.AddFrame(&out, "TALB", "Opera");
                        mp3.AddFrame(&out, "TPE1", std::string(100, 'x'));  // too big: left out
                        mp3.AddFrame(&out, "TRCK", "7");
                    }});
    const std::string frames = Title + std::string("TALB\0\0\0\x06\0\0\0Opera", 16) +
                               std::string(
                                   "TRCK\0\0\0\x02\0\0\0"
                                   "7",
                                   12);
    EXPECT_TRUE(SameBytes(r.output, Tag(frames, 80) + audio + FreshTrailer()));
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
    // Most rips carry the cover picture as a frame far above the payload buffer.
    std::string picture = "\0image/jpeg\0\x03\0" + Audio(20000, 7);
    const std::string input =
        Tag(Album + Frame("APIC", picture) + Title, 20200) + Audio(9000) + FreshTrailer();
    std::string seen;
    std::int32_t pictureSize = 0;
    const PassResult r = RewriteInMemory(input, {.onFrame = [&](MP3& mp3) {
                                             seen += std::string(mp3.FrameId()) + " ";
                                             if (mp3.IsFrame("APIC")) {
                                                 pictureSize = mp3.FrameSize();
                                             }
                                             return true;
                                         }});
    EXPECT_EQ(seen, "TALB APIC TIT2 ");
    EXPECT_EQ(pictureSize, static_cast<std::int32_t>(picture.size()));
    EXPECT_TRUE(SameBytes(r.output, input));
    EXPECT_EQ(r.diagnostics, "");
}

TEST(Mp3Rewrite, LongFrameLeftOutIsSkippedInTheInput) {
    const std::string input =
        Tag(Frame("APIC", Audio(3000, 3)) + Title, 3100) + Audio(5000) + FreshTrailer();
    const PassResult r =
        RewriteInMemory(input, {.onFrame = [](MP3& mp3) { return !mp3.IsFrame("APIC"); }});
    EXPECT_TRUE(SameBytes(r.output, Tag(Title, 3100) + input.substr(3110)));
}

TEST(Mp3Rewrite, FramePastTheEndOfTheTagEndsTheWalk) {
    // The second frame claims 500 bytes where the tag has 60 left.
    const std::string bad = "TPE1" + BigEndian32(500) + std::string(2, '\0') + std::string(50, 'z');
    const std::string tag =
        TagHeader(static_cast<std::uint32_t>(Album.size() + bad.size())) + Album + bad;
    const std::string audio = Audio(4500);
    const PassResult r = RewriteInMemory(tag + audio + FreshTrailer());
    EXPECT_EQ(r.diagnostics, "Frame too big: 500\n");
    EXPECT_TRUE(
        SameBytes(r.output, TagHeader(static_cast<std::uint32_t>(Album.size() + bad.size())) +
                                Album + std::string(bad.size(), '\0') + audio + FreshTrailer()));
}

TEST(Mp3Rewrite, WalkStopsAtTheTagEndInsteadOfReadingAudioAsAFrame) {
    // The tag is full; the audio right behind it looks like a frame header. Dropping a
    // frame makes room, which must stay padding.
    const std::string audio = Frame("TXXX", "not a frame") + Audio(5000);
    const std::string input =
        Tag(Album + Title, static_cast<std::uint32_t>((Album + Title).size())) + audio +
        FreshTrailer();
    std::string seen;
    const PassResult r = RewriteInMemory(input, {.onFrame = [&](MP3& mp3) {
                                             seen += std::string(mp3.FrameId());
                                             return mp3.IsFrame("TIT2");
                                         }});
    EXPECT_EQ(seen, "TALBTIT2");
    EXPECT_TRUE(SameBytes(r.output, TagHeader(static_cast<std::uint32_t>((Album + Title).size())) +
                                        Title + std::string(Album.size(), '\0') + audio +
                                        FreshTrailer()));
}

TEST(Mp3Rewrite, ExtendedHeaderIsSkippedAndLeftOutOfTheOutput) {
    const std::string extended = BigEndian32(6) + std::string("\x80\0\0\0\0\0", 6);
    const std::string body = extended + Album;
    const std::string input = TagHeader(60, 0x40) + body + std::string(60 - body.size(), '\0') +
                              Audio(4096) + FreshTrailer();
    std::string seen;
    const PassResult r = RewriteInMemory(input, {.onFrame = [&](MP3& mp3) {
                                             seen += std::string(mp3.FrameId());
                                             return true;
                                         }});
    EXPECT_EQ(seen, "TALB");
    EXPECT_TRUE(SameBytes(r.output, Tag(Album, 60) + input.substr(70)));
}

TEST(Mp3Rewrite, InputsWithoutAUsableTagAreCopiedWhole) {
    const std::string audio = Audio(5000) + Trailer("old", "", "", 0, 0);
    const struct {
        const char* name;
        std::string input;
        const char* diagnostic;
    } cases[] = {
        {"no tag", audio, "No ID3 identifier\n"},
        {"ID3v2.4", TagHeader(20, 0, 4) + TextFrame("TIT2", "x") + std::string(9, '\0') + audio,
         "ID3 version is not 3\n"},
        {"ID3v2.2", TagHeader(20, 0, 2) + std::string(20, '\0') + audio, "ID3 version is not 3\n"},
        {"size byte with top bit", std::string("ID3\x03\0\0\x80\0\0\x10", 10) + audio,
         "ID3 tag size is invalid\n"},
        {"tag larger than file", TagHeader(100000) + audio, "ID3 tag size is invalid\n"},
        {"short header", std::string("ID3\x03\0", 5),
         "ID3 tag size is invalid\nNot enough MP3 data!\n"},
        {"unsynchronised", TagHeader(20, 0x80) + std::string(20, '\0') + audio,
         "ID3 tag is unsynchronised\n"},
        {"bad extended header",
         TagHeader(20, 0x40) + BigEndian32(900) + std::string(16, '\0') + audio,
         "ID3 extended header is invalid\n"},
    };
    for (const auto& c : cases) {
        const PassResult r = RewriteInMemory(
            c.input,
            {.addFrames = [](MP3& mp3,
                             OutputFile& out) { mp3.AddFrame(&out, "TALB", "never written"); },
             .editTrailer = [](MP3& mp3) { mp3.SetTrailer("new", "artist", "album", 1, 12); }});
        EXPECT_FALSE(r.headerRead) << c.name;
        EXPECT_TRUE(r.audioCopied) << c.name;
        EXPECT_EQ(r.diagnostics, c.diagnostic) << c.name;
        const bool hasTrailer =
            c.input.size() >= 128 && c.input.compare(c.input.size() - 128, 3, "TAG") == 0;
        const std::string body = hasTrailer ? c.input.substr(0, c.input.size() - 128) : c.input;
        EXPECT_TRUE(SameBytes(r.output, body + Trailer("new", "artist", "album", 1, 12))) << c.name;
    }
}

TEST(Mp3Rewrite, ShortAudioIsReportedAndCopiedAllTheSame) {
    for (const std::size_t n : {0u, 100u, 127u, 128u, 129u, 4000u}) {
        const std::string audio = Audio(n);
        const PassResult r = RewriteInMemory(Tag(Title, 30) + audio);
        EXPECT_EQ(r.diagnostics, "Not enough MP3 data!\n") << n;
        EXPECT_TRUE(r.audioCopied) << n;
        // None of these ends in "TAG", so all of it is audio and a fresh trailer follows.
        EXPECT_TRUE(SameBytes(r.output, Tag(Title, 30) + audio + FreshTrailer())) << n;
    }
}

TEST(Mp3Rewrite, LastBytesWithoutTagAreAudioAndAFreshTrailerIsAppended) {
    const std::string audio = Audio(9000);
    const PassResult r =
        RewriteInMemory(Tag(Title, 30) + audio,
                        {.editTrailer = [](MP3& mp3) { mp3.SetTrailer("T", "A", "B", 2, -1); }});
    EXPECT_TRUE(SameBytes(r.output, Tag(Title, 30) + audio + Trailer("T", "A", "B", 2, 255)));
}

TEST(Mp3Rewrite, FailedWritesMakeThePassFail) {
    const std::string input = Tag(Title, 30) + Audio(50000) + FreshTrailer();
    // Fail in the tag, in the audio and in the trailer.
    for (const std::size_t limit : {std::size_t{5}, std::size_t{20000}, input.size() - 1}) {
        const PassResult r = RewriteInMemory(input, {.outputLimit = limit});
        EXPECT_EQ(r.output.size(), limit);
        EXPECT_FALSE(r.trailerWritten) << limit;
        EXPECT_EQ(r.audioCopied, limit == input.size() - 1) << limit;
        EXPECT_EQ(r.diagnostics, "Cannot write the output: No space left on device\n") << limit;
    }
}

TEST(Mp3Rewrite, ReadingPassSeesFramesAndTrailerWithoutWriting) {
    const std::string input =
        Tag(Album + Title, 64) + Audio(8000) + Trailer("Track", "Melville", "Moby", 4, 101);
    InputFile in;
    in.OpenMemory(reinterpret_cast<const unsigned char*>(input.data()), input.size());
    MP3 mp3;
    ASSERT_TRUE(mp3.ReadHeader(in, nullptr));
    ASSERT_TRUE(mp3.NextFrame(in));
    EXPECT_TRUE(mp3.IsFrame("TALB"));
    EXPECT_FALSE(mp3.IsFrame("TAL"));
    EXPECT_FALSE(mp3.IsFrame("talb"));
    EXPECT_EQ(mp3.FrameText(), "Moby Dick");
    // Stop the walk early, as the settings preparation does.
    EXPECT_TRUE(mp3.CopyAudio(in, nullptr));
    EXPECT_TRUE(mp3.InputHadTrailer());
    EXPECT_EQ(mp3.TrailerTitle(), "Track");
    EXPECT_EQ(mp3.TrailerArtist(), "Melville");
    EXPECT_EQ(mp3.TrailerAlbum(), "Moby");
    EXPECT_EQ(mp3.TrailerGenre(), 101);
    EXPECT_EQ(mp3.TrailerTrack(), 4);
}

TEST(Mp3Rewrite, CompressedFrameHasNoTextAndLosesItsFlagsWhenReplaced) {
    const std::string compressed =
        Frame("TIT2", std::string("\0\0\0\x10xxxxxx", 10), std::string("\0\x80", 2));
    const PassResult r = RewriteInMemory(Tag(compressed, 40) + Audio(4096) + FreshTrailer(),
                                         {.onFrame = [](MP3& mp3) {
                                             EXPECT_EQ(mp3.FrameText(), "");
                                             // Callers may hand the text on as a C string.
                                             EXPECT_NE(mp3.FrameText().data(), nullptr);
                                             mp3.SetFrameText("Plain");
                                             return true;
                                         }});
    EXPECT_EQ(r.output.substr(0, 26), TagHeader(40) + TextFrame("TIT2", "Plain"));
}

}  // namespace
}  // namespace brambex::testing
