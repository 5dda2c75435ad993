#include "cli/cli_options.h"

#include <charconv>

namespace brambex::cli {

namespace {

struct KeepOption {
    std::string_view name;  // after "--keep-" or "--no-keep-"
    std::optional<bool> CliOptions::*field;
};

constexpr KeepOption KeepOptions[] = {
    {"genre", &CliOptions::keepGenre},
    {"album", &CliOptions::keepAlbum},
    {"artist", &CliOptions::keepArtist},
    {"names", &CliOptions::keepNames},
};

struct TextOption {
    std::string_view name;
    std::optional<std::string> CliOptions::*field;
};

constexpr TextOption TextOptions[] = {
    {"--title", &CliOptions::title},
    {"--artist", &CliOptions::artist},
    {"--genre", &CliOptions::genre},
    {"--pattern", &CliOptions::pattern},
};

bool IsMergeOnly(std::string_view option) {
    return option != "--quiet" && option != "-q";
}

// Handles one option; "" when it was understood, else the complaint.
std::string TakeOption(CliOptions& o, std::string_view arg,
                       const std::vector<std::string_view>& args, std::size_t& i) {
    std::string_view name = arg;
    std::optional<std::string_view> inlineValue;
    if (std::size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
        name = arg.substr(0, eq);
        inlineValue = arg.substr(eq + 1);
    }
    if (name == "--jobs" || name == "-j") {
        std::string_view value;
        if (inlineValue)
            value = *inlineValue;
        else if (i + 1 < args.size())
            value = args[++i];
        int n = 0;
        const char* end = value.data() + value.size();
        auto [stop, error] = std::from_chars(value.data(), end, n);
        if (value.empty() || error != std::errc() || stop != end || n < 1 || n > MaxJobs)
            return std::string(name) + " needs a number from 1 to " + std::to_string(MaxJobs);
        o.jobs = n;
        return {};
    }
    for (const TextOption& t : TextOptions) {
        if (name != t.name)
            continue;
        if (inlineValue) {
            o.*t.field = std::string(*inlineValue);
        } else if (i + 1 < args.size()) {
            o.*t.field = std::string(args[++i]);
        } else {
            return std::string(name) + " needs a value";
        }
        return {};
    }
    if (inlineValue)
        return "option " + std::string(name) + " takes no value";
    for (const KeepOption& k : KeepOptions) {
        if (name == "--keep-" + std::string(k.name)) {
            o.*k.field = true;
            return {};
        }
        if (name == "--no-keep-" + std::string(k.name)) {
            o.*k.field = false;
            return {};
        }
    }
    if (name == "--music") {
        o.music = true;
    } else if (name == "--audiobook") {
        o.music = false;
    } else if (name == "--yes" || name == "-y") {
        o.yes = true;
    } else if (name == "--redo") {
        o.redo = true;
    } else if (name == "--dry-run" || name == "-n") {
        o.dryRun = true;
    } else if (name == "--quiet" || name == "-q") {
        o.quiet = true;
    } else {
        return "unknown option " + std::string(name);
    }
    return {};
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string_view>& args) {
    ParseResult result;
    CliOptions& o = result.options;
    std::vector<std::string_view> positional;
    std::vector<std::string_view> given;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            o.command = Command::Help;
            return result;
        }
        if (arg == "--version") {
            o.command = Command::Version;
            return result;
        }
        std::string complaint = TakeOption(o, arg, args, i);
        if (!complaint.empty()) {
            result.error = complaint;
            return result;
        }
        given.push_back(arg.substr(0, arg.find('=')));
    }

    if (positional.empty()) {
        result.error = "no command given";
        return result;
    }
    std::string_view command = positional[0];
    if (command == "help") {
        o.command = Command::Help;
        return result;
    }
    if (command == "scan") {
        o.command = Command::Scan;
    } else if (command == "merge") {
        o.command = Command::Merge;
    } else if (command == "demo") {
        o.command = Command::Demo;
    } else if (command == "library") {
        o.command = Command::Library;
    } else if (command == "merge-all") {
        o.command = Command::MergeAll;
    } else {
        result.error = "unknown command " + std::string(command);
        return result;
    }
    if (positional.size() < 2) {
        result.error = std::string(command) +
                       (o.command == Command::Demo ? " needs a folder DIR" : " needs a FOLDER");
        return result;
    }
    if (positional.size() > 2) {
        result.error = "unexpected argument " + std::string(positional[2]);
        return result;
    }
    o.folder = std::string(positional[1]);
    if (o.folder.empty()) {
        result.error = std::string(command) + " needs a folder that is not empty text";
        return result;
    }
    for (std::string_view option : given) {
        std::string complaint;
        if (o.command == Command::MergeAll) {
            // Each set of a library is merged under its own title and artist.
            if (option == "--title" || option == "--artist")
                complaint = "option " + std::string(option) +
                            " does not apply to merge-all: each set keeps its own";
        } else if (option == "--redo") {
            complaint = "option --redo belongs to the merge-all command";
        } else if (o.command != Command::Merge && IsMergeOnly(option)) {
            complaint = "option " + std::string(option) + " belongs to the merge command";
        }
        if (!complaint.empty()) {
            result.error = complaint;
            return result;
        }
    }
    return result;
}

std::string UsageText() {
    return R"(Usage:
  brambex-cli scan FOLDER
  brambex-cli merge FOLDER [options]
  brambex-cli library FOLDER
  brambex-cli merge-all FOLDER [options] [--redo]
  brambex-cli demo DIR
  brambex-cli --help
  brambex-cli --version

Brambex joins the disc folders of a ripped multi-disc audiobook or album (for example
"Moby Dick Disc 1", "Moby Dick Disc 2", ...) into output folders of MP3 files with
one running order and consistent tags. FOLDER is the folder of disc 1; the other discs
are found beside it by their names. Your disc folders are never changed.

Commands:
  scan FOLDER    List the disc folders of the set, then "N discs, M files.".
  merge FOLDER   Scan the set, then merge it into an output folder named after the
                 title, beside the disc folders (more than 254 tracks, or a title
                 ending in "_" and a number: numbered folders TITLE_1, TITLE_2, ...).
  library FOLDER List every disc set found under FOLDER, at any depth: its disc-1
                 folder, the title it will get, discs, tracks, whether it is merged
                 (its output folder is there) and what stops it from merging.
  merge-all FOLDER
                 Merge every set under FOLDER that is not merged yet, each with
                 its own title and artist from its first track; a set that fails
                 is passed over. Takes the options of merge except --title and
                 --artist, and --redo: merge the merged sets again too, replacing
                 their output. Ends with a table of what became of each set.
  demo DIR       Write a small sample set of three disc folders into DIR (made if
                 missing) to try the program on; prints the merge command for it.

Options of merge (they answer the Merge Options dialog; each defaults to what the
dialog shows for the chosen type, filled from the tags of the first track):
  --audiobook          Audio book wording and defaults (the default): genre
                       "Audiobook", track names "<disc>-<track> <book>", keep nothing.
  --music              Music CD defaults: keep the tracks' genre, artist and song
                       names; track names "<song>".
  --title TEXT         Album or book title and output folder name. The default is
                       the first track's album without " Disc 1", followed by "_1";
                       the folder's name instead where that names no album or is
                       another set's title.
                       It may not contain \ / : * ? " < > |
  --artist TEXT        Artist or author.
  --genre TEXT         A genre name from the ID3v1 list (any letter case) or its
                       number picks that genre; any other text is written as typed.
  --pattern TEXT       Pattern of the new track titles: <disc>, <track>, <book>,
                       <album> and <song> (the track's own title) are replaced.
  --keep-genre, --keep-album, --keep-artist, --keep-names
  --no-keep-genre, --no-keep-album, --no-keep-artist, --no-keep-names
                       Keep (or replace) the tracks' own genre, album title, artist
                       and track names. --genre, --artist and --pattern replace
                       them unless --keep-genre, --keep-artist or --keep-names is
                       given too.
  -y, --yes            Empty an output folder of an earlier merge without asking.
                       Without it the question is asked when standard input is a
                       terminal, and answered No otherwise.
  -n, --dry-run        Print every output file with the frames it would get, and
                       write nothing.
  -q, --quiet          No progress bar, no summary; messages still appear.
  -j, --jobs N         Write up to N tracks at the same time (1 to 8); the default is
                       2 on a machine with more than one core, else 1. Tracks are
                       named in order, and a merge that stops keeps none after the
                       track where it stopped.
  Options also take the form --title=TEXT.

Tracks and tags:
  A track is a file of a disc folder whose name begins with a two-digit number
  and ends in ".mp3" (any letter case); other files are not merged, and two files
  that begin with the same number stop the merge. Each copy gets an ID3v2.3 tag
  with new frames TALB, TPE1, TPE2, TCON, TRCK and TIT2 and all of the track's
  other frames, and a new ID3v1 trailer. ID3v2.4 and ID3v2.2 tags are converted
  to ID3v2.3; a track without a tag gets a new one. The artist and album
  defaults come from the first track's TPE2 (else TPE1) and TALB frames, or from
  its ID3v1 trailer where its tag lacks them.

Output:
  Messages go to standard error as "caption: text", notes on a track's tag (such
  as "Frame too big: 900") as "file: note". On a terminal a progress bar
  shows the track being merged; Ctrl-C cancels after the running track. A complete
  merge prints one line on standard output naming the output folders and the number
  of tracks, and how many tags were converted or new.

Exit status:
  0    the set was merged completely (or scanned, or the demo written);
       merge-all: every set was merged
  1    the merge stopped after a message, or the scan found a set that
       cannot be merged (a missing or unreadable disc, no tracks, ...);
       merge-all: a set failed (the others were merged)
  2    bad command line, or an empty title or one with a forbidden character
  130  cancelled with Ctrl-C (129 SIGHUP, 143 SIGTERM)
)";
}

}  // namespace brambex::cli
