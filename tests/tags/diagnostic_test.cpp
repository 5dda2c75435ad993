// Where the codec's diagnostic lines go: to an installed sink, one whole line per call
// and without a line break, and back to the standard error stream once it is removed.
#include "tags/diagnostic.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "support/rewrite_pass.h"
#include "support/tag_bytes.h"

namespace brambex::testing {
namespace {

void Collect(std::string_view line, void* context) {
    static_cast<std::vector<std::string>*>(context)->emplace_back(line);
}

class DiagnosticSinkTest : public ::testing::Test {
  protected:
    void SetUp() override { SetDiagnosticSink(Collect, &lines); }
    void TearDown() override { SetDiagnosticSink(nullptr, nullptr); }
    std::vector<std::string> lines;
};

TEST_F(DiagnosticSinkTest, ReceivesTheLinesOfAPass) {
    const std::string overrun = "TPE1" + BigEndian32(900) + std::string(2, '\0') + "x";
    const struct {
        const char* what;
        std::string input;
        std::size_t outputLimit;
        std::vector<std::string> expected;
    } cases[] = {
        {"ID3v2.5 tag",
         TagHeader(20, 0, 5) + std::string(20, '\0') + Audio(5000) + FreshTrailer(),
         static_cast<std::size_t>(-1),
         {"ID3 version is not 2, 3 or 4"}},
        {"frame longer than its tag",
         Tag(overrun, 100) + Audio(5000) + FreshTrailer(),
         static_cast<std::size_t>(-1),
         {"Frame too big: 900"}},
        {"full output",
         Tag(TextFrame("TIT2", "x"), 100) + Audio(5000) + FreshTrailer(),
         50,
         {"Cannot write the output: " + std::string(std::strerror(ENOSPC))}},
    };
    for (const auto& c : cases) {
        lines.clear();
        PassSteps steps;
        steps.outputLimit = c.outputLimit;
        const PassResult result = RewriteInMemory(c.input, steps);
        EXPECT_EQ(lines, c.expected) << c.what;
        EXPECT_EQ(result.diagnostics, "") << c.what;
    }
}

TEST_F(DiagnosticSinkTest, LongLineIsCutOnACharacterBoundary) {
    std::string line = "a";
    for (int i = 0; i < 150; ++i)
        line += "\xC5\xBC";  // ż, two bytes
    WriteDiagnosticNumber(line, 12345);
    ASSERT_EQ(lines.size(), 1u);
    // The 128th ż would end one byte past the room of 256 bytes, which the number's
    // first digit then fills.
    EXPECT_EQ(lines[0], line.substr(0, 255) + "1");
}

TEST_F(DiagnosticSinkTest, NullSinkRestoresStandardError) {
    SetDiagnosticSink(nullptr, &lines);
    ::testing::internal::CaptureStderr();
    WriteDiagnosticNumber("Frame too big: ", -7);
    WriteDiagnostic("Cannot read the input: ", EIO);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(written, "Frame too big: -7\nCannot read the input: " +
                           std::string(std::strerror(EIO)) + "\n");
}

}  // namespace
}  // namespace brambex::testing
