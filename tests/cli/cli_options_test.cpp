#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brambex::cli {
namespace {

ParseResult Parse(std::vector<std::string_view> args) {
    return ParseCommandLine(args);
}

TEST(ParseCommandLine, RefusesBadCommandLines) {
    const std::vector<std::vector<std::string_view>> bad = {
        {},
        {"frobnicate", "x"},
        {"merge"},
        {"scan", ""},
        {"merge", "a", "b"},
        {"merge", "x", "--title"},
        {"merge", "x", "--bogus"},
        {"merge", "x", "--yes=1"},
        {"merge", "x", "--keep-everything"},
        {"scan", "x", "--title", "t"},
        {"scan", "x", "--dry-run"},
        {"demo", "d", "--music"},
        {"merge", "x", "--jobs"},
        {"merge", "x", "--jobs", "0"},
        {"merge", "x", "--jobs=9"},
        {"merge", "x", "-j", "2x"},
        {"scan", "x", "--jobs", "2"},
        {"merge", "x", "--redo"},
        {"library", "x", "--yes"},
        {"merge-all", "x", "--title", "t"},
        {"merge-all", "x", "--artist=a"},
        {"merge", "x", "--format", "flac"},
        {"merge", "x", "--format"},
#ifndef BRAMBEX_M4B
        {"merge", "x", "--format=m4b"},
#endif
        {"scan", "x", "--format", "mp3"},
        {"merge", "x", "--bitrate", "8"},
        {"merge", "x", "--bitrate=321"},
        {"merge", "x", "--bitrate", "64k"},
        {"scan", "x", "--mono"},
    };
    for (const auto& args : bad) {
        std::string line;
        for (auto a : args)
            line += std::string(a) + " ";
        EXPECT_FALSE(Parse(args).error.empty()) << line;
    }
}

TEST(ParseCommandLine, TakesTheMergeOptions) {
    ParseResult r =
        Parse({"--quiet", "merge", "--title=Moby Dick", "/music/Moby Dick Disc 1", "--artist",
               "--not-an-option", "--music", "--genre", "rock", "--pattern", "<track> <song>",
               "--keep-album", "--no-keep-names", "-y", "-n", "--jobs", "3"});
    ASSERT_EQ(r.error, "");
    const CliOptions& o = r.options;
    EXPECT_EQ(o.command, Command::Merge);
    EXPECT_EQ(o.folder, "/music/Moby Dick Disc 1");
    EXPECT_EQ(o.title, "Moby Dick");
    EXPECT_EQ(o.artist, "--not-an-option");  // a value may begin with a dash
    EXPECT_EQ(o.music, true);
    EXPECT_EQ(o.genre, "rock");
    EXPECT_EQ(o.pattern, "<track> <song>");
    EXPECT_EQ(o.keepAlbum, true);
    EXPECT_EQ(o.keepNames, false);
    EXPECT_FALSE(o.keepGenre.has_value());
    EXPECT_FALSE(o.keepArtist.has_value());
    EXPECT_TRUE(o.yes && o.dryRun && o.quiet);
    EXPECT_EQ(o.jobs, 3);
    EXPECT_EQ(Parse({"merge", "x", "-j", "1"}).options.jobs, 1);
    EXPECT_EQ(o.format, OutputFormat::FolderOfTracks);
    EXPECT_EQ(Parse({"merge", "x", "--format", "mp3"}).options.format, OutputFormat::Mp3Book);
    EXPECT_EQ(Parse({"merge-all", "x", "--format=mp3", "--format=folders"}).options.format,
              OutputFormat::FolderOfTracks);
    EXPECT_EQ(o.bitrateKbps, 64);
    EXPECT_FALSE(o.mono);
    const CliOptions m4b = Parse({"merge", "x", "--bitrate=96", "--mono"}).options;
    EXPECT_EQ(m4b.bitrateKbps, 96);
    EXPECT_TRUE(m4b.mono);
#ifdef BRAMBEX_M4B
    EXPECT_EQ(Parse({"merge", "x", "--format", "m4b"}).options.format, OutputFormat::M4bBook);
#else
    EXPECT_EQ(Parse({"merge", "x", "--format", "m4b"}).error, NoM4bInThisBuild);
#endif
}

TEST(ParseCommandLine, LaterOptionWinsAndEmptyValuesCount) {
    ParseResult r = Parse(
        {"merge", "x", "--music", "--audiobook", "--keep-genre", "--no-keep-genre", "--artist="});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.music, false);
    EXPECT_EQ(r.options.keepGenre, false);
    EXPECT_EQ(r.options.artist, "");
}

TEST(ParseCommandLine, HelpVersionAndFoldersThatLookLikeOptions) {
    EXPECT_EQ(Parse({"merge", "x", "--bogus", "--help"}).error, "unknown option --bogus");
    EXPECT_EQ(Parse({"merge", "x", "--help", "--bogus"}).options.command, Command::Help);
    EXPECT_EQ(Parse({"help"}).options.command, Command::Help);
    EXPECT_EQ(Parse({"--version"}).options.command, Command::Version);
    EXPECT_EQ(Parse({"scan", "x", "--version", "--bogus"}).options.command, Command::Version);
    EXPECT_EQ(Parse({"scan", "--", "--version"}).options.folder, "--version");
    ParseResult r = Parse({"scan", "--", "-odd name"});
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.options.folder, "-odd name");
    EXPECT_EQ(Parse({"demo", "-q", "out"}).options.quiet, true);
}

TEST(UsageText, DocumentsEveryOptionAndStatus) {
    std::string usage = UsageText();
    for (const char* word :
         {"scan FOLDER", "merge FOLDER", "library FOLDER", "merge-all FOLDER", "--redo",
          "demo DIR",    "--audiobook",  "--music",        "--title",          "--artist",
          "--genre",     "--pattern",    "--keep-genre",   "--no-keep-names",  "--yes",
          "--dry-run",   "--quiet",      "--jobs",         "--format",         "--bitrate",
          "--mono",      "130",          "Ctrl-C"})
        EXPECT_NE(usage.find(word), std::string::npos) << word;
}

}  // namespace
}  // namespace brambex::cli
