#include "tags/text_encoding.h"

#include <gtest/gtest.h>

#include "tags/unicode_compose.h"

namespace brambex {
namespace {

TEST(TextEncoding, InvalidUtf8DecodesOneByteAtATime) {
    const struct {
        const char* name;
        std::string text;
        std::size_t chars;
    } cases[] = {
        {"ascii", "abc", 3},
        {"two-byte", "é", 1},
        {"four-byte", "\U0001F3B5", 1},
        {"lone continuation bytes", "\x80\x80", 2},
        {"truncated sequence", "\xE2\x82", 2},
        {"overlong slash", "\xC0\xAF", 2},
        {"encoded surrogate", "\xED\xA0\x80", 3},
        {"above U+10FFFF", "\xF4\x90\x80\x80", 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CountUtf8Chars(c.text), c.chars) << c.name;
        // Whatever came in, what goes out is valid UTF-8.
        const std::string cleaned = Latin1ToUtf8(Utf8ToLatin1(c.text));
        std::size_t pos = 0;
        while (pos < cleaned.size()) {
            const std::size_t start = pos;
            EXPECT_FALSE(DecodeUtf8(cleaned, pos) == ReplacementChar && pos - start == 1) << c.name;
        }
    }
}

TEST(TextEncoding, CutsEndOnCharacterBoundaries) {
    EXPECT_EQ(CutUtf8("aé", 2), "a");
    EXPECT_EQ(CutUtf8("aé", 3), "aé");
    EXPECT_EQ(CutUtf8("\U0001F3B5\U0001F3B5", 7), "\U0001F3B5");
    EXPECT_EQ(CutUtf8("abc", 10), "abc");
    EXPECT_EQ(CutUtf8("\x80\x80\x80", 2), "\x80\x80");
    EXPECT_EQ(CutUtf8Chars("éàü", 2), "éà");
    EXPECT_EQ(CutUtf8Chars("ab", 5), "ab");
}

TEST(TextEncoding, Latin1Conversions) {
    EXPECT_EQ(Latin1ToUtf8("Caf\xE9 \xFF"), "Café ÿ");
    EXPECT_EQ(Utf8ToLatin1("Café ÿ"), "Caf\xE9 \xFF");
    EXPECT_EQ(Utf8ToLatin1("Łódź €"),
              "?\xF3"
              "d? ?");
    EXPECT_TRUE(FitsLatin1("Ærø ÿ"));
    EXPECT_FALSE(FitsLatin1("€"));
    EXPECT_FALSE(FitsLatin1("a\xFF"));
}

TEST(TextEncoding, ComposeNfcComposesLettersWithTheirMarks) {
    const struct {
        const char* name;
        std::string text;
        std::string composed;
    } cases[] = {
        {"acute", "Mise\u0301rables", "Misérables"},
        {"cedilla, caron, ogonek", "c\u0327 Z\u030C a\u0328", "ç Ž ą"},
        {"two marks in turn", "\u03B9\u0308\u0301 u\u0308\u0304", "ΐ ǖ"},
        {"Cyrillic", "\u0438\u0306 \u0415\u0308 \u0456\u0308 \u0435\u0300 \u04E9\u0308",
         "й Ё ї ѐ ӫ"},
        {"Greek", "\u03C9\u0301 \u03D2\u0308", "ώ ϔ"},
        {"comma below, horn", "S\u0326 u\u031B", "Ș ư"},
        {"already composed", "Misérables ÿ", "Misérables ÿ"},
        {"mark without a letter", "\u0301a", "\u0301a"},
        {"letter the mark does not go with", "q\u0301", "q\u0301"},
        // A mark the table lacks comes first; NFC would compose the dot below.
        {"unknown mark stops composing", "a\u0323\u0301", "a\u0323\u0301"},
        {"invalid bytes kept",
         "\xFF"
         "e\u0301 \xCC",
         "\xFF"
         "é \xCC"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ComposeNfc(c.text), c.composed) << c.name;
    }
}

}  // namespace
}  // namespace brambex
