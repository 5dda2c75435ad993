// The codec's diagnostic lines go to the sink its pass is given, one whole line per
// call and without a line break.
#include "tags/diagnostic.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/rewrite_pass.h"
#include "support/tag_bytes.h"

namespace brambex::testing {
namespace {

class LineList : public DiagnosticSink {
  public:
    void Line(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

class NoEdits : public TagEditor {
  public:
    bool Edit(const MP3&, TagEdits&) override { return true; }
};

TEST(DiagnosticSink, ReceivesTheLinesOfAPass) {
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
        LineList sink;
        InputFile in;
        in.OpenMemory(reinterpret_cast<const unsigned char*>(c.input.data()), c.input.size());
        std::string output;
        OutputFile out;
        out.CreateMemory(&output, c.outputLimit);
        NoEdits none;
        // The codec's buffers are large for a test thread's stack.
        auto mp3 = std::make_unique<MP3>(sink);
        mp3->Rewrite(in, &out, none);
        EXPECT_EQ(sink.lines, c.expected) << c.what;
    }
}

TEST(DiagnosticSink, LongLineIsCutOnACharacterBoundary) {
    std::string line = "a";
    for (int i = 0; i < 150; ++i)
        line += "\xC5\xBC";  // ż, two bytes
    LineList sink;
    WriteDiagnosticNumber(sink, line, 12345);
    ASSERT_EQ(sink.lines.size(), 1u);
    // The 128th ż would end one byte past the room of 256 bytes, which the number's
    // first digit then fills.
    EXPECT_EQ(sink.lines[0], line.substr(0, 255) + "1");
}

TEST(DiagnosticSink, NumbersAndSystemReasonsEndTheirLines) {
    LineList sink;
    WriteDiagnosticNumber(sink, "Frame too big: ", -7);
    WriteDiagnostic(sink, "Cannot read the input: ", std::make_error_code(std::errc::io_error));
    EXPECT_EQ(sink.lines,
              (std::vector<std::string>{"Frame too big: -7", "Cannot read the input: " +
                                                                 std::string(std::strerror(EIO))}));
}

}  // namespace
}  // namespace brambex::testing
