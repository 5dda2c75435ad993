// The output tag's size as the sizing stage decides it from the input's tags and the
// frames measured: the input's size while the frames fit, else theirs and the padding.
#include <gtest/gtest.h>

#include <memory>

#include "support/rewrite_pass.h"
#include "tags/mp3_pass.h"

namespace brambex::testing {
namespace {

TEST(OutputTagSize, KeepsTheInputsRoomWhileTheFramesFitItToTheByte) {
    constexpr std::uint64_t Max = TagHeader::MaxSize;
    const struct {
        TagKind kind;
        std::uint64_t room;  // bytes after the input tag's header
        std::uint64_t frames;
        std::uint32_t size;  // 0: refused
        bool grew;
    } cases[] = {
        {TagKind::V23, 100, 100, 100, false},
        {TagKind::V23, 100, 101, 101 + OutputTagPadding, true},
        {TagKind::V24, 100, 0, 100, false},
        {TagKind::None, 0, 0, OutputTagPadding, false},
        {TagKind::Broken, 0, 40, 40 + OutputTagPadding, false},
        {TagKind::None, 0, Max - OutputTagPadding, static_cast<std::uint32_t>(Max), false},
        {TagKind::None, 0, Max - OutputTagPadding + 1, 0, false},
        {TagKind::V23, 100, Max + 1, 0, false},
    };
    for (const auto& c : cases) {
        InputTags tags;
        tags.kind = c.kind;
        tags.first.start = 7;
        tags.audioStart = tags.first.start + TagHeader::Size + static_cast<std::int64_t>(c.room);
        const auto read = std::make_unique<TagAsRead>();
        read->keptSize = c.frames;
        DiagnosticText lines;
        PassReport report(lines);
        OutputTag tag;
        const bool sized = SizeOutputTag(tags, *read, TagEdits{}, tag, report);
        EXPECT_EQ(sized, c.size != 0) << c.frames;
        EXPECT_EQ(report.Failed(), c.size == 0) << c.frames;
        EXPECT_EQ(lines.text, c.size != 0 ? "" : "The ID3 tag would be too large\n") << c.frames;
        if (sized) {
            EXPECT_EQ(tag.size, c.size) << c.frames;
            EXPECT_EQ(tag.grew, c.grew) << c.frames;
            EXPECT_EQ(tag.framesSize, c.frames) << c.frames;
        }
    }
}

}  // namespace
}  // namespace brambex::testing
