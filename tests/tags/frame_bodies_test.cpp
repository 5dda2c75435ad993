#include "tags/frame_bodies.h"

#include <gtest/gtest.h>

#include <string>

#include "support/tag_bytes.h"
#include "tags/frame_ids.h"
#include "tags/payload_converter.h"

namespace brambex {
namespace {

using testing::Utf16Le;

std::string Bytes(const unsigned char* p, std::size_t n) {
    return {reinterpret_cast<const char*>(p), n};
}

class StringSink : public PayloadSink {
  public:
    void Write(const unsigned char* bytes, std::size_t n) override { out += Bytes(bytes, n); }
    std::string out;
};

TEST(FrameBodies, TextFrameRendersInItsTwoThreeEncoding) {
    const struct {
        std::string text;
        std::size_t cap;
        std::string bytes;
    } cases[] = {
        {"Caf\xC3\xA9", 64, std::string("\0Caf\xE9", 5)},
        {"\xC5\x81\xC3\xB3", 64, "\x01\xFF\xFE" + Utf16Le(u"Łó")},
        {"\xF0\x9F\x8E\xB5", 64, "\x01\xFF\xFE" + Utf16Le(u"\U0001F3B5")},
        {std::string("a\0b", 3), 64, std::string("\0a", 2)},  // up to a zero byte
        {"", 64, std::string(1, '\0')},
        // Cut on a character boundary, a surrogate pair whole or not at all.
        {"abcdef", 4, std::string("\0abc", 4)},
        {"\xC5\x81\xF0\x9F\x8E\xB5", 8, "\x01\xFF\xFE" + Utf16Le(u"Ł")},
    };
    for (const auto& c : cases) {
        unsigned char out[64];
        EXPECT_EQ(Bytes(out, TextFrame::Render(c.text, out, c.cap)), c.bytes) << c.text;
    }
}

TEST(FrameBodies, UserTextFrameKeepsOneEncodingForBothTexts) {
    unsigned char out[64];
    EXPECT_EQ(Bytes(out, UserTextFrame::Render("GAIN", "-6.20 dB", out, sizeof out)),
              std::string("\0GAIN\0-6.20 dB", 14));
    EXPECT_EQ(Bytes(out, UserTextFrame::Render("A", "\xE2\x9C\x93", out, sizeof out)),
              "\x01\xFF\xFE" + Utf16Le(u"A") + std::string(2, '\0') + "\xFF\xFE" + Utf16Le(u"✓"));
    EXPECT_EQ(UserTextFrame::Render("description", "value", out, 10), 0u);
}

TEST(FrameBodies, TextFrameParsesHostileBodies) {
    const struct {
        std::string body;
        bool all;
        std::string text;
    } cases[] = {
        {"", false, ""},
        {std::string(1, '\0'), false, ""},
        {std::string("\0One\0Two\0", 9), true, "One/Two"},
        {std::string("\0One\0Two\0", 9), false, "One"},
        {"\x01\xFF", false, ""},                         // half a code unit
        {"\x01\xFF\xFE\x3D\xD8", true, "\xEF\xBF\xBD"},  // a lone high surrogate
        {"\x02\x00", false, ""},
        {"\x03\xC3", false, "\xEF\xBF\xBD"},  // UTF-8 cut short
        // No encoding byte: UTF-8 when it reads as such, else ISO-8859-1.
        {"\xC3\xA9t\xC3\xA9", false, "\xC3\xA9t\xC3\xA9"},
        {"\xE9t\xE9", false, "\xC3\xA9t\xC3\xA9"},
    };
    for (const auto& c : cases) {
        char out[32];
        const auto* in = reinterpret_cast<const unsigned char*>(c.body.data());
        EXPECT_EQ(std::string(out, TextFrame::Parse(in, c.body.size(), out, sizeof out, c.all)),
                  c.text)
            << ::testing::PrintToString(c.body);
    }
}

// Bodies whose fields run out before their layout does, or whose encoding no version
// knows: the conversion says so instead of inventing the rest.
TEST(FrameBodies, HostileBodiesAreNotValid) {
    const struct {
        const char* id;
        int version;
        std::string body;
    } cases[] = {
        {"TIT2", 4, "\x04Text"},
        {"TIT2", 4, ""},
        {"COMM", 4,
         "\x00"
         "en"},
        {"APIC", 2, "\x00JP"},
        {"APIC", 4, std::string("\0image/png", 10)},
        {"SYLT", 4, std::string("\0eng\x02\x01Line\0\0\0", 13)},
        {"COMR", 4, std::string("\0price\0", 7)},
    };
    PayloadConverter converter;
    for (const auto& c : cases) {
        MemorySource in(reinterpret_cast<const unsigned char*>(c.body.data()), c.body.size());
        EXPECT_FALSE(converter.Measure(*LayoutOf(c.id, c.version), in).valid) << c.id;
        EXPECT_EQ(in.Left(), 0u) << c.id;
    }
}

// The fixed parts of a frame are copied as they are and its texts re-encoded around them.
TEST(FrameBodies, FixedPartsSurroundTheTexts) {
    const struct {
        const char* id;
        int version;
        std::string body;
        std::string bytes;
    } cases[] = {
        {"APIC", 2,
         std::string("\0JPG\x03"
                     "C\0\xFF\xD8",
                     9),
         std::string("\0image/jpeg\0\x03"
                     "C\0\xFF\xD8",
                     17)},
        {"APIC", 2, std::string("\0GIF\x03\0\x47", 7), std::string("\0GIF\0\x03\0\x47", 8)},
        {"GEOB", 4, std::string("\x03x/y\0f\xC3\xA9\0d\0\x01", 13),
         std::string("\0x/y\0f\xE9\0d\0\x01", 12)},
        {"OWNE", 4,
         std::string("\x03$1\0"
                     "20200101Shop",
                     16),
         std::string("\0$1\0"
                     "20200101Shop",
                     16)},
        {"USER", 4,
         std::string("\x02"
                     "eng",
                     4) +
             testing::Utf16Be(u"Ok"),
         std::string("\0engOk", 6)},
        {"UFID", 4, std::string("owner\0\x01", 7), std::string("owner\0\x01", 7)},
    };
    PayloadConverter converter;
    for (const auto& c : cases) {
        const FrameLayout& layout = *LayoutOf(c.id, c.version);
        const auto* bytes = reinterpret_cast<const unsigned char*>(c.body.data());
        MemorySource measured(bytes, c.body.size());
        const PayloadConverter::Result r = converter.Measure(layout, measured);
        ASSERT_TRUE(r.valid) << c.id;
        MemorySource written(bytes, c.body.size());
        StringSink out;
        converter.Write(layout, written, r.latin1, out);
        EXPECT_EQ(out.out, c.bytes) << c.id;
        EXPECT_EQ(r.size, c.bytes.size()) << c.id;
    }
}

TEST(FrameIds, TwoTwoAndTwoFourIdsAsTwoThreeKnowsThem) {
    const struct {
        int version;
        const char* id;
        const char* v23;  // none: left out
    } cases[] = {
        {2, "TT2", "TIT2"},   {2, "PIC", "APIC"},   {2, "WXX", "WXXX"},  {2, "CRM", nullptr},
        {2, "LNK", nullptr},  {2, "TIT2", nullptr}, {4, "TSOA", "TSOA"}, {4, "TDRC", "TDRC"},
        {4, "SEEK", nullptr}, {4, "EQU2", nullptr}, {4, "TIT", nullptr}, {3, "SEEK", "SEEK"},
    };
    for (const auto& c : cases) {
        char out[4] = {};
        EXPECT_EQ(MapFrameId(c.version, c.id, out), c.v23 != nullptr) << c.id;
        if (c.v23 != nullptr) {
            EXPECT_EQ(std::string(out, 4), c.v23) << c.id;
        }
    }
    EXPECT_TRUE(BecomesOtherFrames("TMOO"));
    EXPECT_FALSE(BecomesOtherFrames("SEEK"));
    EXPECT_FALSE(BecomesOtherFrames("TIT2"));
}

}  // namespace
}  // namespace brambex
