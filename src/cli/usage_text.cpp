// The text of --help, in its sections, as the manual page and the README say it.
#include "cli/cli_options.h"

#include <array>
#include <string_view>

namespace brambex::cli {

namespace {

// How the program is called.
constexpr std::string_view Synopsis = R"(Usage:
  brambex-cli scan FOLDER
  brambex-cli merge FOLDER [options]
  brambex-cli library FOLDER
  brambex-cli merge-all FOLDER [options] [--redo]
  brambex-cli demo DIR
  brambex-cli --help
  brambex-cli --version
)";

// What it does.
constexpr std::string_view About =
    R"(Brambex joins the disc folders of a ripped multi-disc audiobook or album (for example
"Moby Dick Disc 1", "Moby Dick Disc 2", ...) into output folders of MP3 files with
one running order and consistent tags. FOLDER is the folder of disc 1; the other discs
are found beside it by their names. Your disc folders are never changed.
)";

// The commands.
constexpr std::string_view CommandsHelp = R"(Commands:
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
)";

// The options of merge and merge-all.
constexpr std::string_view MergeOptionsHelp =
    R"(Options of merge (they answer the Merge Options dialog; each defaults to what the
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
  --format FORMAT      What the merge writes: "folders" (the default), output
                       folders of numbered tracks; "mp3", the whole set as one
                       MP3 file "TITLE/TITLE.mp3" with a chapter for each track,
                       its audio copied without re-encoding (a book past 4 GiB
                       in parts "TITLE - Part 1.mp3", ...). Tracks that differ in
                       MPEG version, layer, sample rate or channels are refused;
                       "m4b", the whole set as one M4B audiobook "TITLE/TITLE.m4b",
                       re-encoded as AAC with a chapter for each track.
  --bitrate KBPS       An M4B book's AAC bitrate, 16 to 320 kb/s (default 64).
  --mono               An M4B book in one channel (default: the first track's).
  Options also take the form --title=TEXT.
)";

// What a track is and what its copy gets.
constexpr std::string_view TracksHelp = R"(Tracks and tags:
  A track is a file of a disc folder whose name begins with a two-digit number
  and ends in ".mp3" (any letter case); other files are not merged, and two files
  that begin with the same number stop the merge. Each copy gets an ID3v2.3 tag
  with new frames TALB, TPE1, TPE2, TCON, TRCK and TIT2 and all of the track's
  other frames, and a new ID3v1 trailer. ID3v2.4 and ID3v2.2 tags are converted
  to ID3v2.3; a track without a tag gets a new one. The artist and album
  defaults come from the first track's TPE2 (else TPE1) and TALB frames, or from
  its ID3v1 trailer where its tag lacks them.
)";

// What the program prints.
constexpr std::string_view OutputHelp = R"(Output:
  Messages go to standard error as "caption: text", notes on a track's tag (such
  as "Frame too big: 900") as "file: note". On a terminal a progress bar
  shows the track being merged; Ctrl-C cancels after the running track. A complete
  merge prints one line on standard output naming the output folders and the number
  of tracks, and how many tags were converted or new.
)";

// The exit statuses.
constexpr std::string_view ExitStatusHelp = R"(Exit status:
  0    the set was merged completely (or scanned, or the demo written);
       merge-all: every set was merged
  1    the merge stopped after a message, or the scan found a set that
       cannot be merged (a missing or unreadable disc, no tracks, ...);
       merge-all: a set failed (the others were merged)
  2    bad command line, or an empty title or one with a forbidden character
  130  cancelled with Ctrl-C (129 SIGHUP, 143 SIGTERM)
)";

}  // namespace

std::string UsageText() {
    constexpr std::array Sections = {Synopsis,   About,      CommandsHelp,  MergeOptionsHelp,
                                     TracksHelp, OutputHelp, ExitStatusHelp};
    std::string text;
    for (std::string_view section : Sections) {
        if (!text.empty())
            text += '\n';
        text += section;
    }
    return text;
}

}  // namespace brambex::cli
