// A pass over one track must not touch the heap: the merge runs it for every track of a
// set, and its memory must not grow with the files. The global allocation functions of
// this test program count while a pass runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>

#include "support/rewrite_pass.h"
#include "support/tag_bytes.h"
#include "support/temp_tree.h"
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

// Sets texts that are built before the pass, so that only the codec could allocate.
class PresetEditor : public TagEditor {
  public:
    PresetEditor(std::string_view title, std::string_view band) : title_(title), band_(band) {}
    bool Edit(const MP3&, TagEdits& edits) override {
        edits.Set(TagField::Title, title_);
        edits.Set(TagField::Band, band_);
        edits.Set(TagField::Track, "12");
        edits.editTrailer = true;
        edits.trailerTitle = title_;
        edits.trailerArtist = "Melville";
        edits.trailerAlbum = band_.substr(0, 40);
        edits.trailerTrack = 3;
        edits.trailerGenre = 12;
        return true;
    }

  private:
    std::string_view title_;
    std::string_view band_;
};

TEST(Mp3Allocation, RewritePassAllocatesNothing) {
    const std::string dir = NewTempFolder("brambex-alloc-");
    const std::string inPath = dir + "/in.mp3";
    const std::string outPath = dir + "/out.mp3";
    // An ID3v2.4 tag that must be converted and grow: a long picture frame, a UTF-8
    // title, lyrics far longer than the codec's buffers, a date and a frame 2.3 has no
    // form for.
    const std::string frames =
        TextFrame("TALB", "Moby Dick") +
        Frame("APIC", std::string("\x03image/jpeg\0\x03\xC5\xBB\0", 16) + Audio(5000, 2)) +
        Frame("TIT2", "\x03\xC5\xBB") +
        Frame("USLT", std::string("\x03"
                                  "eng\0",
                                  5) +
                          std::string(40000, 'a') + "\xC5\xBB") +
        Frame("TDRC", std::string("\x03") + "1851-10-18") + Frame("SEEK", "x");
    std::ofstream(inPath, std::ios::binary)
        << TagHeader(static_cast<std::uint32_t>(frames.size()), 0, 4) + frames + Audio(100000) +
               ApeTagOf(ApeItem("Title", "Old") + ApeItem("Cover Art (Front)", Audio(9000, 3), 2),
                        2) +
               FreshTrailer();
    const std::string polish = "Żółw, żółw i jeszcze raz żółw";
    const std::string longText(3000, 'a');
    // Room for the lines beforehand, so that collecting them allocates nothing.
    DiagnosticText diagnostics;
    diagnostics.text.reserve(1024);
    auto mp3 = std::make_unique<MP3>(diagnostics);
    PresetEditor editor(polish, longText);

    allocations = 0;
    counting = true;
    bool passed = false;
    {
        InputFile in;
        OutputFile out;
        if (in.Open(inPath) && out.Create(outPath)) {
            passed = mp3->Rewrite(in, &out, editor) && out.Close();
        }
    }
    counting = false;

    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);

    EXPECT_TRUE(passed);
    EXPECT_TRUE(mp3->Layout().tagGrew);
    EXPECT_EQ(diagnostics.text, "Frames with no ID3v2.3 form left out: SEEK\n");
    EXPECT_EQ(allocations.load(), 0);
}

}  // namespace
}  // namespace brambex::testing
