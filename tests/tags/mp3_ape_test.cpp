// APE tags and Lyrics3v2 blocks between the audio and the ID3v1 trailer: not audio,
// the APE tag's merged items rewritten and every other byte kept.
#include <gtest/gtest.h>

#include "support/rewrite_pass.h"
#include "support/tag_bytes.h"
#include "tags/mp3.h"

namespace brambex::testing {
namespace {

const std::string Cover = Audio(9000, 7);  // larger than a block of item heads
const std::string Gain = ApeItem("REPLAYGAIN_TRACK_GAIN", "-6.20 dB");
const std::string InputItems = ApeItem("ALBUM", "Moby Dick Disc 2") + Gain +
                               ApeItem("Album artist", "Old band", 1) +
                               ApeItem("Cover Art (Front)", Cover, 2) +
                               ApeItem("Title", "binary title", 2) + ApeItem("track", "7/12");
// What the edits below make of them: the read-only flag kept, the binary "Title" kept.
const std::string OutputItems = ApeItem("ALBUM", "Moby Dick") + Gain +
                                ApeItem("Album artist", "Herman Melville", 1) +
                                ApeItem("Cover Art (Front)", Cover, 2) +
                                ApeItem("Title", "binary title", 2) + ApeItem("track", "12");

std::string Digits(std::size_t n, std::size_t width) {
    const std::string digits = std::to_string(n);
    return std::string(width - digits.size(), '0') + digits;
}

std::string Lyrics3(std::string_view lyrics) {
    const std::string block =
        "LYRICSBEGIN"
        "IND00002"
        "10"
        "LYR" +
        Digits(lyrics.size(), 5) + std::string(lyrics);
    return block + Digits(block.size(), 6) + "LYRICS200";
}

// What follows the output's ID3v2 tag.
std::string AfterTag(const std::string& output) {
    const auto* size = reinterpret_cast<const unsigned char*>(output.data() + 6);
    return output.substr(10 + ((size[0] << 21) | (size[1] << 14) | (size[2] << 7) | size[3]));
}

PassSteps ApeEdits() {
    return Setting({{TagField::Album, "Moby Dick"},
                    {TagField::Band, "Herman Melville"},
                    {TagField::Track, "12"},
                    {TagField::Title, "1-3 Moby Dick"}});
}

TEST(Mp3Ape, ApeTagIsRewrittenInItsPlace) {
    const std::string audio = Audio(5000);
    const std::string t = Trailer("t", "a", "b", 1, 2), fresh = FreshTrailer();
    const std::string lyrics = Lyrics3("Call me Ishmael.");
    const std::string in6 = ApeTagOf(InputItems, 6), out6 = ApeTagOf(OutputItems, 6);
    const std::string inBare = ApeTagOf(InputItems, 6, false),
                      outBare = ApeTagOf(OutputItems, 6, false);
    const struct {
        const char* name;
        std::string after, expected;  // what follows the audio
    } cases[] = {
        {"with header, before the trailer", in6 + t, out6 + t},
        {"without header, at the end", inBare, outBare + fresh},
        {"after the trailer, as mutagen adds it", t + in6, out6 + t},
        {"APEv1", ApeTagOf(InputItems, 6, false, 1000) + t,
         ApeTagOf(OutputItems, 6, false, 1000) + t},
        {"then a Lyrics3v2 block", in6 + lyrics + t, out6 + lyrics + t},
        {"after a Lyrics3v2 block", lyrics + inBare + t, lyrics + outBare + t},
        {"Lyrics3v2 alone", lyrics + t, lyrics + t},
        {"Lyrics3v2 without a trailer is audio", lyrics, lyrics + fresh},
    };
    for (const auto& c : cases) {
        const PassResult r = RewriteInMemory(Tag("", 40) + audio + c.after, ApeEdits());
        EXPECT_EQ(r.diagnostics, "") << c.name;
        EXPECT_TRUE(SameBytes(AfterTag(r.output), audio + c.expected)) << c.name;
    }
}

TEST(Mp3Ape, TagsAfterTheAudioAreFoundOnlyWhereTheSizeIsKnown) {
    const std::string input = Tag("", 40) + Audio(5000) + ApeTagOf(InputItems, 6);
    PassSteps steps = ApeEdits();
    steps.sizeKnown = false;
    EXPECT_TRUE(SameBytes(AfterTag(RewriteInMemory(input, steps).output),
                          input.substr(50) + FreshTrailer()));
}

TEST(Mp3Ape, ApeTagThatCannotBeReadStaysAudio) {
    const std::string items = ApeItem("Album", "Old") + ApeItem("Artist", "Old");
    std::string pastTheTag = ApeTagOf(items, 2);
    pastTheTag[32] = 40;  // the first value's size
    std::string badVersion = ApeTagOf(items, 2);
    badVersion[badVersion.size() - 24] = 1;
    std::string noHeader = ApeTagOf(items, 2);
    noHeader[0] = 'X';
    // A size that reaches back into the ID3v2 tag.
    std::string tooLarge = ApeTagOf(items, 2, false);
    tooLarge.replace(tooLarge.size() - 20, 4, LittleEndian32(5100));
    const struct {
        const char* name;
        std::string ape;
    } cases[] = {
        {"more items than said", ApeTagOf(items, 1)},
        {"fewer items than said", ApeTagOf(items, 3)},
        {"an item past the tag", pastTheTag},
        {"unknown version", badVersion},
        {"no header where the footer says", noHeader},
        {"larger than the audio", tooLarge},
        {"no end to a key",
         ApeTagOf(LittleEndian32(0) + LittleEndian32(0) + std::string(300, 'k'), 1)},
    };
    const std::string audio = Audio(5000);
    for (const auto& c : cases) {
        const std::string input = Tag("", 40) + audio + c.ape + FreshTrailer();
        const PassResult r = RewriteInMemory(input, ApeEdits());
        EXPECT_EQ(r.diagnostics, "APE tag cannot be read: kept as audio\n") << c.name;
        EXPECT_TRUE(r.passed) << c.name;
        EXPECT_TRUE(SameBytes(AfterTag(r.output), audio + c.ape + FreshTrailer())) << c.name;
    }
}

TEST(Mp3Ape, ShortAudioIsCountedWithoutTheTagsAfterIt) {
    const std::string ape = ApeTagOf(ApeItem("Cover Art (Front)", Cover, 2), 1);
    for (const bool trailer : {false, true}) {
        const std::string input =
            Tag("", 40) + Audio(3900) + ape + (trailer ? Trailer("t", "", "", 1, 1) : "");
        EXPECT_EQ(RewriteInMemory(input).diagnostics, "Not enough MP3 data!\n") << trailer;
    }
}

}  // namespace
}  // namespace brambex::testing
