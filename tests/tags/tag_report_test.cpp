#include "support/tag_report.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/tag_bytes.h"
#include "support/temp_tree.h"

namespace brambex::testing {
namespace {

std::string ReportFor(const std::string& bytes, bool* ok = nullptr) {
    TempTree tree;
    const std::string path = tree.File("track.mp3", bytes);
    std::FILE* out = std::tmpfile();
    ::testing::internal::CaptureStderr();
    const bool result = PrintTagReport(path, out);
    ::testing::internal::GetCapturedStderr();
    std::rewind(out);
    std::string report;
    for (int c; (c = std::fgetc(out)) != EOF;) {
        report.push_back(static_cast<char>(c));
    }
    std::fclose(out);
    if (ok != nullptr) {
        *ok = result;
    }
    return report;
}

TEST(TagReport, ListsFramesAndTrailer) {
    std::string trailer = Trailer("Chapter", "Melville", "Moby", 3, 12);
    trailer.replace(93, 4, "1851");
    const std::string input =
        Tag(TextFrame("TALB", "Caf\xE9") + Frame("APIC", Audio(2000)) +
                Frame("TIT2", std::string("\x01\xFF\xFE"
                                          "A\0",
                                          5)) +
                Frame("CHAP", "ch1" + std::string(1, '\0') + BigEndian32(0) + BigEndian32(1500) +
                                  BigEndian32(9) + BigEndian32(99) + TextFrame("TIT2", "One")),
            2100) +
        Audio(5000) + trailer;
    bool ok = false;
    EXPECT_EQ(ReportFor(input, &ok),
              "ID3v2.3.0 tag, 2100 bytes after its header\n"
              "  TALB        5  \"Café\"\n"
              "  APIC     2000\n"
              "  TIT2        5  \"A\"\n"
              "  CHAP       34  ch1 0-1500 ms \"One\"\n"
              "ID3v1 trailer\n"
              "  title   \"Chapter\"\n"
              "  artist  \"Melville\"\n"
              "  album   \"Moby\"\n"
              "  year    \"1851\"\n"
              "  comment \"\"\n"
              "  track   3\n"
              "  genre   12 (Other)\n");
    EXPECT_TRUE(ok);
}

TEST(TagReport, OtherTagKindsAsRead) {
    EXPECT_EQ(ReportFor(Audio(5000)), "No ID3v2 tag\nNo ID3v1 trailer\n");
    EXPECT_EQ(ReportFor(TagHeader(100000) + Audio(5000)),
              "ID3v2 tag that cannot be read frame by frame\nNo ID3v1 trailer\n");
    // 2.4 and 2.2 frames are shown as the 2.3 frames a rewrite makes of them.
    EXPECT_EQ(ReportFor(PaddedTag(Frame24("TPE1",
                                          "\x03"
                                          "Caf\xC3\xA9") +
                                      Frame24("TDRC",
                                              "\x03"
                                              "1999"),
                                  10, 4) +
                        Audio(5000)),
              "ID3v2.4.0 tag, 41 bytes after its header, read as ID3v2.3\n"
              "  TPE1        5  \"Café\"\n"
              "  TYER        5  \"1999\"\n"
              "No ID3v1 trailer\n");
    EXPECT_EQ(ReportFor(PaddedTag(Frame22("TT2", std::string("\0Title", 6)), 4, 2) + Audio(5000)),
              "ID3v2.2.0 tag, 16 bytes after its header, read as ID3v2.3\n"
              "  TIT2        6  \"Title\"\n"
              "No ID3v1 trailer\n");
}

// Pipes and /dev/null are POSIX's.
#ifndef _WIN32
TEST(TagReport, WhatIsNoReadableFileFailsWithItsPath) {
    char dir[] = "/tmp/brambex-report-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string fifo = std::string(dir) + "/pipe.mp3";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {"/nonexistent/brambex.mp3",
         "Cannot open /nonexistent/brambex.mp3: No such file or directory\n"},
        {dir, "Cannot read " + std::string(dir) + ": Is a directory\n"},
        // Opening a pipe would wait for a writer for ever.
        {fifo, "Cannot read " + fifo + ": not a regular file\n"},
        {"/dev/null", "Cannot read /dev/null: not a regular file\n"},
    };
    for (const auto& c : cases) {
        char* text = nullptr;
        std::size_t size = 0;
        std::FILE* out = open_memstream(&text, &size);
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(PrintTagReport(c.path, out)) << c.path;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.message);
        std::fclose(out);
        EXPECT_EQ(std::string(text, size), "") << c.path;
        std::free(text);
    }
    unlink(fifo.c_str());
    rmdir(dir);
}
#endif

}  // namespace
}  // namespace brambex::testing
