// The tag codec's rewrite pass over the file streams: real files, a file cut while it is
// read, and inputs whose size cannot be told.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/file_stream.h"
#include "support/rewrite_pass.h"
#include "support/tag_bytes.h"
#include "support/temp_tree.h"

namespace brambex::testing {
namespace {

class RewriteOverFilesTest : public ::testing::Test {
  protected:
    TempTree tree_;
};

TEST_F(RewriteOverFilesTest, RewritePassOverRealFilesMatchesTheMemoryPass) {
    const std::string input = Tag(TextFrame("TALB", "A") + Frame("APIC", Audio(70000, 5)), 80000) +
                              Audio(2 * 1024 * 1024 + 3) + Trailer("t", "a", "b", 1, 2);
    tree_.File("in.mp3", input);
    const PassSteps edit = Setting({{TagField::Album, "Ærø"}});
    const PassResult expected = RewriteInMemory(input, edit);
    InputFile in;
    ASSERT_TRUE(in.Open(tree_.Path("in.mp3")));
    OutputFile out;
    ASSERT_TRUE(out.Create(tree_.Path("out.mp3")));
    const PassResult r = RewritePass(in, &out, edit);
    EXPECT_TRUE(r.passed);
    ASSERT_TRUE(out.Close());
    EXPECT_TRUE(SameBytes(tree_.Read("out.mp3"), expected.output));
    EXPECT_TRUE(SameBytes(tree_.Read("in.mp3"), input));
}

TEST_F(RewriteOverFilesTest, InputCutWhileItsFramesAreReadFailsThePass) {
    // The file is cut after the tag was first read: a size that ends before the audio
    // starts means the audio is gone, and a track of tag and trailer alone must not
    // pass for a rewritten one. Cut exactly where the audio starts, it is merely short.
    const std::string frames = TextFrame("TALB", "Album") + TextFrame("TIT2", "Title");
    const std::string tag = Tag(frames, 200);
    struct Case {
        const char* name;
        std::size_t keep;
        bool copied;
        const char* diagnostics;
    };
    const Case cases[] = {
        {"inside the frames", 10 + 12, false, "The input ended early\n"},
        {"inside the padding", tag.size() - 1, false, "The input ended early\n"},
        {"where the audio starts", tag.size(), true, "Not enough MP3 data!\n"},
    };
    for (const Case& c : cases) {
        tree_.File("in.mp3", tag + Audio(6000) + Trailer("t", "a", "b", 1, 2));
        InputFile in;
        ASSERT_TRUE(in.Open(tree_.Path("in.mp3")));
        std::string sink;
        OutputFile out;
        out.CreateMemory(&sink);
        const auto cut = [&](const MP3&, TagEdits&) {
            std::error_code ec;
            std::filesystem::resize_file(FsPath(tree_.Path("in.mp3")), c.keep, ec);
            EXPECT_FALSE(ec) << ec.message();
        };
        const PassResult r = RewritePass(in, &out, {.edit = cut});
        EXPECT_EQ(r.kind, TagKind::V23) << c.name;
        EXPECT_EQ(r.passed, c.copied) << c.name;
        EXPECT_EQ(r.failed, !c.copied) << c.name;
        EXPECT_EQ(r.diagnostics, c.diagnostics) << c.name;
    }
}

TEST(InputOfUnknownSize, IsCopiedLikeOneOfKnownSize) {
    // Without a size the audio is copied through a block that holds back the last 128
    // bytes seen; the result must not differ. Sizes around the block and trailer edges.
    for (const std::size_t n :
         {0u, 127u, 128u, 129u, 4096u, 65536u, 65536u + 128u, 65536u + 129u, 200000u}) {
        for (const bool withTrailer : {false, true}) {
            const std::string input = Tag(TextFrame("TIT2", "x"), 40) + Audio(n) +
                                      (withTrailer ? Trailer("t", "", "", 0, 0) : "");
            const PassResult known = RewriteInMemory(input);
            std::string sink;
            InputFile in;
            in.OpenMemory(reinterpret_cast<const unsigned char*>(input.data()), input.size(),
                          false);
            ASSERT_EQ(in.Size(), -1);
            OutputFile out;
            out.CreateMemory(&sink);
            const PassResult r = RewritePass(in, &out);
            EXPECT_TRUE(r.passed);
            EXPECT_EQ(r.diagnostics, known.diagnostics);
            EXPECT_TRUE(SameBytes(sink, known.output)) << n << " " << withTrailer;
            EXPECT_EQ(r.inputHadTrailer, withTrailer) << n;
        }
    }
}

TEST(InputOfUnknownSize, EndingInsideTheDeclaredTagIsABrokenTag) {
    // Without a size the tag's end is looked for before anything is written; a tag that
    // ends past the input is no tag to walk, and all of the input is kept as audio.
    const std::string input = TagHeader(100000) + TextFrame("TIT2", "x") + Audio(5000);
    const PassResult r = RewriteInMemory(input, {.sizeKnown = false});
    EXPECT_TRUE(r.passed);
    EXPECT_EQ(r.kind, TagKind::Broken);
    EXPECT_EQ(r.diagnostics, "ID3 tag size is invalid\n");
    EXPECT_TRUE(SameBytes(r.output, NewTag("", 0) + input + FreshTrailer()));
}

}  // namespace
}  // namespace brambex::testing
