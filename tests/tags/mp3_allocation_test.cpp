// A pass over one track must not touch the heap: the merge runs it for every track of a
// set, and its memory must not grow with the files. The global allocation functions of
// this test program count while a pass runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <new>

#include "support/tag_bytes.h"
#include "tags/mp3.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<int> allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    if (counting.load()) {
        ++allocations;
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace brambex::testing {
namespace {

TEST(Mp3Allocation, RewritePassAllocatesNothing) {
    char dir[] = "/tmp/brambex-alloc-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string inPath = std::string(dir) + "/in.mp3";
    const std::string outPath = std::string(dir) + "/out.mp3";
    // A long picture frame, a UTF-16 title, and a last frame that runs past the tag.
    const std::string overrun = "TPE1" + BigEndian32(900) + std::string(2, '\0') + "x";
    const std::string frames = TextFrame("TALB", "Moby Dick") + Frame("APIC", Audio(5000, 2)) +
                               Frame("TIT2", "\x01\xFF\xFE" + std::string("A\0", 2)) + overrun;
    std::ofstream(inPath, std::ios::binary)
        << TagHeader(static_cast<std::uint32_t>(frames.size() + 300)) + frames +
               std::string(300, '\0') + Audio(100000) + FreshTrailer();
    const std::string polish = "Żółw, żółw i jeszcze raz żółw";
    const std::string longText(3000, 'a');

    ::testing::internal::CaptureStderr();
    allocations = 0;
    counting = true;
    bool passed = false;
    {
        InputFile in;
        OutputFile out;
        MP3 mp3;
        if (in.Open(inPath) && out.Create(outPath) && mp3.ReadHeader(in, &out)) {
            while (mp3.NextFrame(in)) {
                (void)mp3.FrameText();
                if (mp3.IsFrame("TIT2")) {
                    mp3.SetFrameText(polish);
                }
                mp3.WriteFrame(&out);
            }
            mp3.AddFrame(&out, "TPE2", longText);
            mp3.AddFrame(&out, "TRCK", "12");
            mp3.FinishTag(in, &out);
            passed = mp3.CopyAudio(in, &out);
            mp3.SetTrailer(polish, "Melville", std::string_view(longText).substr(0, 40), 3, 12);
            passed = mp3.WriteTrailer(&out) && out.Close() && passed;
        }
    }
    counting = false;
    const std::string diagnostics = ::testing::internal::GetCapturedStderr();
    std::system(("rm -rf '" + std::string(dir) + "'").c_str());

    EXPECT_TRUE(passed);
    EXPECT_EQ(diagnostics, "Frame too big: 900\n");
    EXPECT_EQ(allocations.load(), 0);
}

}  // namespace
}  // namespace brambex::testing
