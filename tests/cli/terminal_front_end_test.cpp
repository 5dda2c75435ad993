#include "cli/terminal_front_end.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/interrupt.h"
#include "cli/terminal_text.h"
#include "engine/track_pipeline.h"
#include "options/merge_options_form.h"
#include "options/merge_settings.h"
#include "platform/file_system.h"
#include "tags/diagnostic.h"

namespace brambex::cli {
namespace {

// Each track that --jobs lets a merge write at the same time has a temporary file of its
// own that the signals can remove.
static_assert(TrackPipeline::SlotsFor(MaxJobs) <= TemporaryFileSlots);

// Collects what the front end writes to its error stream.
class Captured {
  public:
    Captured() : file_(std::tmpfile()) {}
    ~Captured() { std::fclose(file_); }
    std::FILE* File() { return file_; }
    std::string Text() {
        std::fflush(file_);
        std::rewind(file_);
        std::string text;
        for (int c; (c = std::fgetc(file_)) != EOF;)
            text.push_back(static_cast<char>(c));
        return text;
    }

  private:
    std::FILE* file_;
};

struct Answered {
    bool accepted;
    MergeSettings settings;
    std::string err;
};

// Runs the Merge Options form over a first track tagged "Moby Dick Disc 1" by "Author"
// with the genre reference of Rock, answered from the options.
Answered Answer(const CliOptions& options) {
    Answered a;
    a.settings.choices.audioBookMode = !options.music.value_or(false);
    a.settings.albumTitle = "Moby Dick Disc 1";
    a.settings.artist = "Author";
    a.settings.genre = "(17)";
    Captured err;
    TerminalFrontEnd ui(options, err.File(), ProgressStyle::None, false);
    MergeOptionsForm form(a.settings);
    form.SetUp();
    // The merge checks the title once more when the form returns, as the dialog does
    // before it closes.
    a.accepted = ui.RunMergeOptions(form);
    if (std::optional<Message> refusal = form.Refusal(); a.accepted && refusal) {
        ui.Show(*refusal);
        a.accepted = false;
    }
    if (a.accepted)
        form.Confirm();
    a.err = err.Text();
    return a;
}

CliOptions Quiet() {
    CliOptions o;
    o.quiet = true;
    return o;
}

TEST(TerminalFrontEnd, AnswersTheFormWithTheModesDefaults) {
    Answered book = Answer(Quiet());
    ASSERT_TRUE(book.accepted);
    EXPECT_EQ(book.settings.choices.title, "Moby Dick_1");
    EXPECT_EQ(book.settings.choices.genre, "Audiobook");
    EXPECT_EQ(book.settings.choices.titleTemplate, "<disc>-<track> <book>");
    EXPECT_FALSE(book.settings.choices.keepGenre || book.settings.choices.keepArtist ||
                 book.settings.choices.keepTrackNames || book.settings.choices.keepAlbumTitle);
    EXPECT_EQ(book.err, "");

    CliOptions music = Quiet();
    music.music = true;
    Answered album = Answer(music);
    ASSERT_TRUE(album.accepted);
    EXPECT_EQ(album.settings.choices.genre, "Rock");  // shown by name as typed text
    EXPECT_EQ(album.settings.choices.titleTemplate, "<song>");
    EXPECT_TRUE(album.settings.choices.keepGenre && album.settings.choices.keepArtist &&
                album.settings.choices.keepTrackNames);
    EXPECT_FALSE(album.settings.choices.keepAlbumTitle);
}

TEST(TerminalFrontEnd, GenreByNameOrNumberPicksTheEntry) {
    const std::pair<const char*, const char*> cases[] = {
        {"rock", "(17)"},
        {"17", "(17)"},
        {"0", "(0)"},
        {"DANCE HALL", "(125)"},
        {"Space Rock", "Space Rock"},
        {"126", "126"},
        {"(8)", "(8)"},
        {"", ""},
    };
    for (const auto& [given, stored] : cases) {
        CliOptions o = Quiet();
        o.genre = given;
        Answered a = Answer(o);
        ASSERT_TRUE(a.accepted);
        EXPECT_EQ(a.settings.choices.genre, stored) << given;
    }
}

TEST(TerminalFrontEnd, OptionsOverrideTheKeepBoxesResponses) {
    CliOptions o = Quiet();
    o.music = true;
    o.keepNames = false;
    o.keepArtist = false;
    o.pattern = "<track>. <song>";
    o.artist = "Someone Else";
    o.title = "Best Of";
    Answered a = Answer(o);
    ASSERT_TRUE(a.accepted);
    EXPECT_EQ(a.settings.choices.titleTemplate, "<track>. <song>");
    EXPECT_EQ(a.settings.choices.artist, "Someone Else");
    EXPECT_EQ(a.settings.choices.title, "Best Of");
    EXPECT_FALSE(a.settings.choices.keepTrackNames || a.settings.choices.keepArtist);
    EXPECT_TRUE(a.settings.choices.keepGenre);
}

// In music mode the keep boxes are checked; a text given for their field must still be
// written, unless the command line also asked to keep the tracks' own.
TEST(TerminalFrontEnd, GivenTextsClearTheirKeepBoxUnlessKeepIsGiven) {
    struct Case {
        const char* name;
        std::optional<std::string> CliOptions::*text;
        std::optional<bool> CliOptions::*keep;
        bool MergeChoices::*keepFlag;
        std::string MergeChoices::*stored;
        const char* given;
        const char* expected;
    };
    const Case cases[] = {
        {"genre", &CliOptions::genre, &CliOptions::keepGenre, &MergeChoices::keepGenre,
         &MergeChoices::genre, "jazz", "(8)"},
        {"artist", &CliOptions::artist, &CliOptions::keepArtist, &MergeChoices::keepArtist,
         &MergeChoices::artist, "Other Band", "Other Band"},
        {"pattern", &CliOptions::pattern, &CliOptions::keepNames, &MergeChoices::keepTrackNames,
         &MergeChoices::titleTemplate, "<track> <song>", "<track> <song>"},
    };
    for (const Case& c : cases) {
        CliOptions o = Quiet();
        o.music = true;
        o.*c.text = c.given;
        Answered given = Answer(o);
        ASSERT_TRUE(given.accepted) << c.name;
        EXPECT_FALSE(given.settings.choices.*c.keepFlag) << c.name;
        EXPECT_EQ(given.settings.choices.*c.stored, c.expected) << c.name;

        o.*c.keep = true;
        Answered kept = Answer(o);
        ASSERT_TRUE(kept.accepted) << c.name;
        EXPECT_TRUE(kept.settings.choices.*c.keepFlag) << c.name;
    }
    // The other boxes keep the mode's check states.
    CliOptions o = Quiet();
    o.music = true;
    o.genre = "jazz";
    Answered a = Answer(o);
    EXPECT_TRUE(a.settings.choices.keepArtist && a.settings.choices.keepTrackNames);
}

TEST(TerminalFrontEnd, NotesWhatAnEmptyFirstTrackWouldDo) {
    struct Case {
        const char* album;
        const char* artist;
        bool music;
        std::optional<std::string> title;
        bool artistNote;
        bool titleNote;
    };
    const Case cases[] = {
        {"Moby Dick Disc 1", "Author", false, std::nullopt, false, false},
        {"Moby Dick Disc 1", "", false, std::nullopt, true, false},
        {"Moby Dick Disc 1", "", true, std::nullopt, false, false},  // artist kept
        {"", "Author", false, std::nullopt, false, true},
        {"", "Author", false, "Named", false, false},
        {"", "", false, std::nullopt, true, true},
    };
    for (const Case& c : cases) {
        MergeSettings settings;
        settings.choices.audioBookMode = !c.music;
        settings.albumTitle = c.album;
        settings.proposedTitle = *c.album == '\0' ? "Shelf_1" : "";
        settings.artist = c.artist;
        CliOptions o;
        o.music = c.music;
        o.title = c.title;
        Captured err;
        TerminalFrontEnd ui(o, err.File(), ProgressStyle::None, false);
        MergeOptionsForm form(settings);
        form.SetUp();
        ASSERT_TRUE(ui.RunMergeOptions(form));
        std::string text = err.Text();
        EXPECT_EQ(text.find("Note: the first track names no artist") != std::string::npos,
                  c.artistNote)
            << text;
        EXPECT_EQ(
            text.find("Note: the title \"Shelf_1\" is the folder's name") != std::string::npos,
            c.titleNote)
            << text;
    }
}

TEST(TerminalFrontEnd, RefusesATitleWithAForbiddenCharacter) {
    CliOptions o;
    o.title = "AC/DC Live";
    Answered a = Answer(o);
    EXPECT_FALSE(a.accepted);
    EXPECT_EQ(a.err,
              "Error: The album name cannot contain any of\nthese characters: \\ / : * ? \" < > "
              "|\nPlease remove all of these characters or\nreplace them with some other ones.\n");
}

TEST(TerminalFrontEnd, MessagesAreCaptionColonText) {
    CliOptions o;
    Captured err;
    TerminalFrontEnd ui(o, err.File(), ProgressStyle::None, false);
    ui.ShowMessage("The output folder cannot be created", "Error", MessageKind::Error);
    ui.ShowMessage("No folder selected, try again.", NoCaption, MessageKind::Notice);
    ui.ShowMessage("Merge cancelled.", "", MessageKind::Information);
    // A question's text asks what its caption names; a status is a bare line.
    EXPECT_EQ(ui.Ask("Empty it?", "Empty earlier merge?"), Answer::No);  // stdin is no terminal
    ui.ShowStatus("Skipping this merge.");
    EXPECT_EQ(
        err.Text(),
        "Error: The output folder cannot be created\nBrambex: No folder selected, try again.\n"
        "Merge cancelled.\nEmpty it? [y/N] no (--yes answers yes)\n"
        "Skipping this merge.\n");
    EXPECT_EQ(ui.MessageCount(), 5);

    o.yes = true;
    EXPECT_EQ(ui.Ask("Empty it?", "Error"), Answer::Yes);
}

TEST(TerminalFrontEnd, NamesGoIntoAFileExactly) {
    // A stream that is no terminal gets the name exactly; a terminal's control characters
    // are shown as EscapedControls shows them.
    Captured file;
    EXPECT_EQ(Printable("a\x1b"
                        "b",
                        file.File()),
              "a\x1b"
              "b");
}

// A script of progress calls on a terminal front end of one progress style, and what it
// leaves on the error stream: exactly `expected`, or what `check` asserts of it.
struct ProgressScript {
    const char* name;
    ProgressStyle style;
    std::function<void(TerminalFrontEnd&)> run;
    std::string expected;
    std::function<void(const std::string&)> check;
};

class TerminalProgress : public ::testing::TestWithParam<ProgressScript> {};

TEST_P(TerminalProgress, LeavesWhatTheScriptExpects) {
    const ProgressScript& script = GetParam();
    CliOptions o;
    Captured err;
    TerminalFrontEnd ui(o, err.File(), script.style, false);
    script.run(ui);
    if (script.check)
        script.check(err.Text());
    else
        EXPECT_EQ(err.Text(), script.expected);
}

const std::string BarLine = "[........................]   0% Merging track  1 from \"X\"\033[K";

const ProgressScript ProgressScripts[] = {
    {"ProgressBarNeverGoesBack", ProgressStyle::Bar,
     [](TerminalFrontEnd& ui) {
         auto bar = ui.OpenProgress("Merging \"X\"", "", 4);
         bar->SetMessage("Merging track  1 from \"X\"");
         bar->SetProgress(2);
         bar->SetProgress(1);
     },
     "",
     [](const std::string& text) {
         EXPECT_NE(text.find("  0% Merging track  1 from \"X\""), std::string::npos) << text;
         EXPECT_NE(text.find(" 50% Merging track  1"), std::string::npos) << text;
         EXPECT_EQ(text.find(" 25%"), std::string::npos) << text;
         EXPECT_TRUE(text.ends_with("\r\033[K")) << text;  // the bar is erased at the end
     }},
    // No escape sequences and no carriage returns: the console shows them as they are.
    {"ConsoleWithoutLineRedrawGetsALinePerTrack", ProgressStyle::Lines,
     [](TerminalFrontEnd& ui) {
         auto bar = ui.OpenProgress("Merging \"X\"", "", 4);
         bar->SetMessage("Merging track  1 from \"X\"");
         bar->SetProgress(1);
         bar->SetMessage("Merging track  2 from \"X\"");
         bar->SetProgress(2);
         ui.ShowDiagnostic("ID3 version is not 3", "X/02 B.mp3");
     },
     "  0% Merging track  1 from \"X\"\n 25% Merging track  2 from \"X\"\n"
     "X/02 B.mp3: ID3 version is not 3\n",
     nullptr},
    {"DiagnosticsStandApartFromTheBar", ProgressStyle::Bar,
     [](TerminalFrontEnd& ui) {
         auto bar = ui.OpenProgress("Merging \"X\"", "", 4);
         bar->SetMessage("Merging track  1 from \"X\"");
         ui.ShowDiagnostic("ID3 version is not 3", "X/01 A.mp3");
         // Outside a merge's track no file is named.
         ui.ShowDiagnostic("Frame too big: 2048", "");
     },
     "\r" + BarLine + "\r\033[KX/01 A.mp3: ID3 version is not 3\n\r" + BarLine +
         "\r\033[KFrame too big: 2048\n\r" + BarLine + "\r\033[K",
     nullptr},
    {"DiagnosticsWithoutABarAreBareLines", ProgressStyle::None,
     [](TerminalFrontEnd& ui) {
         ui.ShowDiagnostic("Not enough MP3 data!", "X/02 B.mp3");
         ui.ShowDiagnostic("Not enough MP3 data!", "");
     },
     "X/02 B.mp3: Not enough MP3 data!\nNot enough MP3 data!\n", nullptr},
};

INSTANTIATE_TEST_SUITE_P(TerminalFrontEnd, TerminalProgress, ::testing::ValuesIn(ProgressScripts),
                         [](const ::testing::TestParamInfo<ProgressScript>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace brambex::cli
