// Frame texts: the encodings found in files read as UTF-8, and what a rewrite writes
// for texts it sets, in and beyond ISO-8859-1.
#include <gtest/gtest.h>

#include "support/rewrite_pass.h"
#include "support/tag_bytes.h"
#include "tags/mp3.h"

namespace brambex::testing {
namespace {

// The text a pass reads from a TIT2 frame with this payload.
std::string TextOf(const std::string& payload,
                   std::string_view flags = std::string_view("\0\0", 2)) {
    std::string text;
    RewriteInMemory(Tag(Frame("TIT2", payload, flags), 2000) + Audio(4096) + FreshTrailer(),
                    {.edit = [&](const MP3& input, TagEdits&) {
                        EXPECT_TRUE(input.HasInputFrame(TagField::Title));
                        text = input.InputText(TagField::Title);
                    }});
    return text;
}

// The payload a rewrite gives a frame whose text it sets.
std::string PayloadFor(std::string_view utf8) {
    const PassResult r =
        RewriteInMemory(Tag(TextFrame("TIT2", "x"), 2100) + Audio(4096) + FreshTrailer(),
                        Setting({{TagField::Title, std::string(utf8)}}));
    const std::uint32_t size = (std::uint32_t(std::uint8_t(r.output[14])) << 24) |
                               (std::uint32_t(std::uint8_t(r.output[15])) << 16) |
                               (std::uint32_t(std::uint8_t(r.output[16])) << 8) |
                               std::uint8_t(r.output[17]);
    return r.output.substr(20, size);
}

TEST(Mp3Text, EncodingsOnDiskReadAsUtf8) {
    const struct {
        const char* name;
        std::string payload;
        std::string text;
    } cases[] = {
        {"latin-1", std::string("\0Caf\xE9", 5), "Café"},
        {"latin-1 ends at a zero", std::string("\0One\0Two", 8), "One"},
        {"empty latin-1", std::string(1, '\0'), ""},
        {"UTF-16 little-endian with BOM", "\x01\xFF\xFE" + Utf16Le(u"Żółw"), "Żółw"},
        {"UTF-16 big-endian with BOM", "\x01\xFE\xFF" + Utf16Be(u"Żółw"), "Żółw"},
        {"UTF-16 without BOM is little-endian", "\x01" + Utf16Le(u"Ab"), "Ab"},
        {"UTF-16 ends at a zero unit",
         "\x01\xFF\xFE" + Utf16Le(u"Ab") + std::string(2, '\0') + Utf16Le(u"Cd"), "Ab"},
        {"UTF-16 surrogate pair", "\x01\xFF\xFE" + Utf16Le(u"\U0001F3B5x"), "\U0001F3B5x"},
        {"UTF-16 lone surrogate",
         "\x01\xFF\xFE" + Utf16Le(u"a") + std::string("\x00\xD8", 2) + Utf16Le(u"b"), "a\uFFFDb"},
        {"UTF-16 odd trailing byte", "\x01\xFF\xFE" + Utf16Le(u"ab") + "c", "ab"},
        {"UTF-16BE (encoding 2)", "\x02" + Utf16Be(u"Łódź"), "Łódź"},
        {"UTF-8 (encoding 3)", "\x03Łódź", "Łódź"},
        {"no encoding byte, ASCII", "05/12", "05/12"},
        {"no encoding byte, latin-1", "Caf\xE9", "Café"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextOf(c.payload), c.text) << c.name;
    }
}

TEST(Mp3Text, GroupedFrameTextStartsAfterTheGroupByte) {
    EXPECT_EQ(TextOf(std::string("\x07\0Title", 7), std::string("\0\x20", 2)), "Title");
    // In 2.4 the group byte leads the data as well, and the converted frame keeps it.
    std::string text;
    RewriteInMemory(
        PaddedTag(Frame24("TIT2", "\x07\x03\xC5\xBB\xC3\xB3\xC5\x82w", std::string("\0\x40", 2)),
                  10, 4) +
            Audio(4096),
        {.edit = [&](const MP3& input, TagEdits&) { text = input.InputText(TagField::Title); }});
    EXPECT_EQ(text, "Żółw");
}

TEST(Mp3Text, SetTextsAreLatin1WhenTheyFitAndUtf16Otherwise) {
    EXPECT_EQ(PayloadFor("Caf\u00e9"), std::string("\0Caf\xE9", 5));
    EXPECT_EQ(PayloadFor(""), std::string(1, '\0'));
    EXPECT_EQ(PayloadFor("Żółw"), "\x01\xFF\xFE" + Utf16Le(u"Żółw"));
    EXPECT_EQ(PayloadFor("\U0001F3B5"), "\x01\xFF\xFE" + Utf16Le(u"\U0001F3B5"));
    // Bytes that are not UTF-8 cannot be ISO-8859-1 text either.
    EXPECT_EQ(PayloadFor("a\xFF"), "\x01\xFF\xFE" + Utf16Le(u"a\uFFFD"));
}

TEST(Mp3Text, LongTextsAreWrittenWhole) {
    EXPECT_EQ(PayloadFor(std::string(2000, 'a')), std::string(1, '\0') + std::string(2000, 'a'));
}

TEST(Mp3Text, TextsSurviveARoundTrip) {
    for (const std::string text :
         {"Moby Dick", "Ærø Æble", "Война и мир", "日本語", "\U0001F3B5 song"}) {
        const PassResult r = RewriteInMemory(Tag("", 200) + Audio(4096) + FreshTrailer(),
                                             Setting({{TagField::Album, text}}));
        EXPECT_EQ(TextOf(r.output.substr(20, r.output[17])), text);
    }
}

}  // namespace
}  // namespace brambex::testing
