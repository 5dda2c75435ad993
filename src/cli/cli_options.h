// The command line of brambex-cli: which command, on which folder, and how the Merge
// Options dialog is to be answered.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "options/merge_choices.h"

namespace brambex::cli {

enum class Command { None, Help, Version, Scan, Merge, Demo, Library, MergeAll };

struct CliOptions {
    Command command = Command::None;
    std::string folder;  // FOLDER of scan, merge, library and merge-all, DIR of demo

    // Answers to the Merge Options dialog; none keeps what the dialog would show.
    std::optional<bool> music;  // --music / --audiobook
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> genre;
    std::optional<std::string> pattern;
    std::optional<bool> keepGenre;
    std::optional<bool> keepAlbum;
    std::optional<bool> keepArtist;
    std::optional<bool> keepNames;

    bool yes = false;
    bool dryRun = false;
    bool redo = false;  // merge-all: merged sets too
    bool quiet = false;
    int jobs = 0;  // tracks written at the same time; 0: the engine's choice
    OutputFormat format = OutputFormat::FolderOfTracks;  // --format
    int bitrateKbps = 64;                                // --bitrate, of an M4B book
    bool mono = false;                                   // --mono: an M4B book in one channel
};

struct ParseResult {
    CliOptions options;
    std::string error;  // empty when the command line is good
};

// Parses the arguments after the program name.
ParseResult ParseCommandLine(const std::vector<std::string_view>& args);

// The text of --help.
std::string UsageText();

}  // namespace brambex::cli
