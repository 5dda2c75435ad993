// A track's own front cover found in its tag as a range of its file, from tags built as
// bytes; each case is a tag in, the picture's bytes (or none) out.
#include "tags/front_cover.h"

#include <gtest/gtest.h>

#include <string>

#include "support/tag_bytes.h"

namespace brambex::testing {
namespace {

// An APIC payload: encoding, MIME type, picture type, description, picture.
std::string Picture(char type, const std::string& description, const std::string& picture,
                    char encoding = 0) {
    return std::string(1, encoding) + "image/png" + '\0' + type + description + picture;
}

TEST(FindFrontCover, TheFirstFrontCoversPictureBytes) {
    const std::string front = "\x89PNG front";
    const std::string utf16 = std::string(
                                  "\xFF\xFE"
                                  "a\0",
                                  4) +
                              std::string(2, '\0');
    const struct {
        const char* name;
        std::string tag;
        std::string picture;  // empty: none found
    } cases[] = {
        {"2.3, after another picture",
         PaddedTag(TextFrame("TIT2", "t") + Frame("APIC", Picture(0, "x\0", "other")) +
                       Frame("APIC", Picture(3, std::string("d\0", 2), front)),
                   20),
         front},
        {"a UTF-16 description", PaddedTag(Frame("APIC", Picture(3, utf16, front, 1)), 0), front},
        {"2.4", PaddedTag(Frame24("APIC", Picture(3, std::string(1, '\0'), front)), 4, 4), front},
        {"no front cover", PaddedTag(Frame("APIC", Picture(4, std::string(1, '\0'), front)), 4),
         ""},
        {"a compressed frame",
         PaddedTag(Frame("APIC", Picture(3, std::string(1, '\0'), front), std::string("\0\x80", 2)),
                   4),
         ""},
        {"an unsynchronised tag",
         TagHeader(40, 0x80) + Frame("APIC", Picture(3, std::string(1, '\0'), front)), ""},
        {"a frame past the tag's end",
         TagHeader(20) + Frame("APIC", Picture(3, std::string(1, '\0'), front)), ""},
        {"no tag", "\xFF\xFB\x90\x64", ""},
    };
    for (const auto& c : cases) {
        const std::string file = c.tag + "\xFF\xFB\x90\x64 audio";
        InputFile in;
        in.OpenMemory(reinterpret_cast<const unsigned char*>(file.data()), file.size());
        const FrontCover cover = FindFrontCover(in);
        EXPECT_EQ(file.substr(static_cast<std::size_t>(cover.offset),
                              static_cast<std::size_t>(cover.size)),
                  c.picture)
            << c.name;
        if (!c.picture.empty()) {
            EXPECT_EQ(cover.mimeType, "image/png") << c.name;
        }
    }
}

}  // namespace
}  // namespace brambex::testing
