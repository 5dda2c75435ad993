#include "tags/tag_report.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "support/tag_bytes.h"

namespace brambex::testing {
namespace {

std::string ReportFor(const std::string& bytes, bool* ok = nullptr) {
    char path[] = "/tmp/brambex-report-XXXXXX";
    const int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    close(fd);
    std::ofstream(path, std::ios::binary) << bytes;
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    ::testing::internal::CaptureStderr();
    const bool result = PrintTagReport(path, out);
    ::testing::internal::GetCapturedStderr();
    std::fclose(out);
    std::string report(text, size);
    std::free(text);
    unlink(path);
    if (ok != nullptr) {
        *ok = result;
    }
    return report;
}

TEST(TagReport, ListsFramesAndTrailer) {
    std::string trailer = Trailer("Chapter", "Melville", "Moby", 3, 12);
    trailer.replace(93, 4, "1851");
    const std::string input = Tag(TextFrame("TALB", "Caf\xE9") + Frame("APIC", Audio(2000)) +
                                      Frame("TIT2", std::string("\x01\xFF\xFE"
                                                                "A\0",
                                                                5)),
                                  2100) +
                              Audio(5000) + trailer;
    bool ok = false;
    EXPECT_EQ(ReportFor(input, &ok),
              "ID3v2.3.0 tag, 2100 bytes after its header\n"
              "  TALB        5  \"Café\"\n"
              "  APIC     2000\n"
              "  TIT2        5  \"A\"\n"
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

TEST(TagReport, FilesWithoutTags) {
    EXPECT_EQ(ReportFor(Audio(5000)), "No ID3v2 tag\nNo ID3v1 trailer\n");
    EXPECT_EQ(ReportFor(TagHeader(10, 0, 4) + std::string(10, '\0') + Audio(5000)),
              "ID3v2.4 tag, kept as it is\nNo ID3v1 trailer\n");
}

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

}  // namespace
}  // namespace brambex::testing
