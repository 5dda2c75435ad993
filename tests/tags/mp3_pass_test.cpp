// The output tag's size as the sizing stage decides it from the input's tags and the
// frames measured: the input's size while the frames fit, else theirs and the padding,
// and as much more as brings the audio to its input offset within a block.
#include <gtest/gtest.h>

#include <memory>

#include "support/rewrite_pass.h"
#include "tags/mp3_pass.h"

namespace brambex::testing {
namespace {

TEST(OutputTagSize, KeepsTheInputsRoomWhileTheFramesFitElseAlignsTheAudioWithItsBlock) {
    constexpr std::uint64_t Max = TagHeader::MaxSize;
    const struct {
        TagKind kind;
        std::int64_t audioStart;  // in the input
        std::uint64_t room;       // bytes after the input tag's header
        std::uint64_t frames;
        std::uint32_t block;
        std::uint32_t size;  // 0: refused
        bool grew;
    } cases[] = {
        {TagKind::V23, 110, 100, 100, 4096, 100, false},
        {TagKind::V24, 110, 100, 0, 4096, 100, false},
        // The audio of 110 moves to 4096 + 110.
        {TagKind::V23, 110, 100, 101, 4096, 4196, true},
        {TagKind::None, 0, 0, 0, 4096, 4086, false},
        {TagKind::None, 0, 0, 0, 512, 1526, false},
        // Padding that ends on a boundary gets nothing more; a byte past it, a block less
        // one.
        {TagKind::None, 0, 0, 4086 - OutputTagPadding, 4096, 4086, false},
        {TagKind::None, 0, 0, 4087 - OutputTagPadding, 4096, 8182, false},
        {TagKind::Broken, 7, 0, 40, 4096, 4093, false},
        {TagKind::V23, 70010, 70000, 70001, 65536, 135536, true},
        // Max + 10 is 9 beyond a 512-byte boundary.
        {TagKind::None, 9, 0, Max - OutputTagPadding, 512, static_cast<std::uint32_t>(Max), false},
        {TagKind::None, 9, 0, Max - OutputTagPadding - 1, 512, static_cast<std::uint32_t>(Max),
         false},
        {TagKind::None, 9, 0, Max - OutputTagPadding + 1, 512, 0, false},
        {TagKind::V23, 110, 100, Max + 1, 4096, 0, false},
    };
    for (const auto& c : cases) {
        InputTags tags;
        tags.kind = c.kind;
        tags.audioStart = c.audioStart;
        tags.first.start = c.audioStart - static_cast<std::int64_t>(c.room) -
                           (tags.Walkable() ? TagHeader::Size : 0);
        const auto read = std::make_unique<TagAsRead>();
        read->keptSize = c.frames;
        DiagnosticText lines;
        PassReport report(lines);
        OutputTag tag;
        const bool sized = SizeOutputTag(tags, *read, TagEdits{}, c.block, tag, report);
        EXPECT_EQ(sized, c.size != 0) << c.frames;
        EXPECT_EQ(report.Failed(), c.size == 0) << c.frames;
        EXPECT_EQ(lines.text, c.size != 0 ? "" : "The ID3 tag would be too large\n") << c.frames;
        if (sized) {
            EXPECT_EQ(tag.size, c.size) << c.frames;
            EXPECT_EQ(tag.grew, c.grew) << c.frames;
            EXPECT_EQ(tag.framesSize, c.frames) << c.frames;
            if (tag.size != c.room) {
                EXPECT_EQ((TagHeader::Size + tag.size) % c.block,
                          static_cast<std::uint64_t>(c.audioStart) % c.block)
                    << c.frames;
            }
        }
    }
}

}  // namespace
}  // namespace brambex::testing
