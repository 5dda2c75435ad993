// What the Merge Options dialog shows beside the form: the problems that keep Start
// Merge from being pressed, the Alt keys, the offered formats and the preview's lines.
#include "app/merge_options_view.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "options/merge_options_form.h"
#include "options/merge_settings.h"

namespace brambex {
namespace {

TEST(MergeOptionsView, ProblemsMarkTheFieldAtFaultAndDisableStart) {
    const struct {
        const char* title;
        const char* pattern;
        bool keepNames;
        const char* previewProblem;
        const char* titleProblem;  // its first words
        const char* nameProblem;
        const char* previewShown;
    } cases[] = {
        {"Moby Dick_1", "<disc>-<track> <book>", false, "", "", "", ""},
        {"Moby Dick_1", "<Title>", false, "", "", "Unrecognized code: <Title> ignored.", ""},
        {"Moby Dick_1", "<track> <>", false, "", "", "Unrecognized code: <> ignored.", ""},
        // A kept track name makes no use of the pattern.
        {"Moby Dick_1", "<Title>", true, "", "", "", ""},
        {"AC/DC", "<song>", false, "", "The album name cannot contain", "", ""},
        {"", "<song>", false, "", "The album name cannot be empty", "", ""},
        // The preview says again what a field says; only the field is marked then.
        {"", "<x>", false, "Unrecognized code: <x> ignored.", "The album name cannot be empty",
         "Unrecognized code: <x> ignored.", ""},
        {"Moby Dick_1", "<song>", false, "Two or more mp3 files have the same sequence number!", "",
         "", "Two or more mp3 files have the same sequence number!"},
    };
    for (const auto& c : cases) {
        MergeSettings settings;
        MergeOptionsForm form(settings);
        form.SetUp();
        form.SetTitleText(c.title);
        form.SetKeepTrackNames(c.keepNames);
        form.SetNameText(c.pattern);
        MergePreview preview;
        preview.problem = c.previewProblem;
        const FormProblems problems = FindFormProblems(form, preview);
        EXPECT_TRUE(problems.title.starts_with(c.titleProblem)) << c.title << problems.title;
        EXPECT_EQ(problems.title.empty(), std::string(c.titleProblem).empty()) << c.title;
        EXPECT_EQ(problems.name, c.nameProblem) << c.pattern;
        EXPECT_EQ(problems.preview, c.previewShown) << c.previewProblem;
        EXPECT_EQ(problems.StartEnabled(), !*c.titleProblem && !*c.nameProblem && !*c.previewShown)
            << c.title << " " << c.pattern;
    }
}

// The bitrate is read as the command line reads --bitrate, and only where an M4B book
// is written; the preview says what stream the book gets.
TEST(MergeOptionsView, BitrateAndMonoAreOfferedCheckedAndPreviewedForAnM4bBookAlone) {
    const struct {
        OutputFormat format;
        const char* bitrate;
        bool mono;
        bool problem;
        const char* stream;
    } cases[] = {
        {OutputFormat::M4bBook, "64", false, false, "AAC at 64 kb/s"},
        {OutputFormat::M4bBook, "16", true, false, "AAC at 16 kb/s, mono"},
        {OutputFormat::M4bBook, "320", false, false, "AAC at 320 kb/s"},
        {OutputFormat::M4bBook, "15", false, true, ""},
        {OutputFormat::M4bBook, "321", false, true, ""},
        {OutputFormat::M4bBook, "", false, true, ""},
        {OutputFormat::M4bBook, "64k", false, true, ""},
        {OutputFormat::M4bBook, "-64", false, true, ""},
        {OutputFormat::Mp3Book, "8", true, false, ""},
        {OutputFormat::FolderOfTracks, "", false, false, ""},
    };
    for (const auto& c : cases) {
        MergeSettings settings;
        MergeOptionsForm form(settings);
        form.SetUp();
        form.SetTitleText("Dune");
        form.SetFormat(c.format);
        form.SetBitrateText(c.bitrate);
        form.SetMono(c.mono);
        MergePreview preview;
        preview.problem = "Two or more mp3 files have the same sequence number!";
        const FormProblems problems = FindFormProblems(form, preview);
        EXPECT_EQ(BookStreamOffered(form), c.format == OutputFormat::M4bBook);
        EXPECT_EQ(problems.bitrate.empty(), !c.problem) << c.bitrate;
        if (c.problem) {
            EXPECT_EQ(problems.bitrate, "The bitrate needs a number of kb/s from 16 to 320.");
            EXPECT_EQ(problems.FieldProblem(), problems.bitrate);
            // Only the field is marked.
            EXPECT_EQ(problems.preview, "");
            EXPECT_FALSE(problems.StartEnabled());
        }
        EXPECT_EQ(BookStreamText(form), c.stream) << c.bitrate;
    }
}

// Confirmed, they stay for the next merge, as the format does; a bitrate that does not
// read keeps the one confirmed before.
TEST(MergeOptionsView, BitrateAndMonoStayFromOneMergeToTheNext) {
    MergeSettings settings;
    MergeOptionsForm first(settings);
    first.SetUp();
    EXPECT_EQ(first.Bitrate().text, "64");
    first.SetBitrateText("96");
    first.SetMono(true);
    first.Confirm();
    EXPECT_EQ(settings.choices.bitrateKbps, 96);
    EXPECT_TRUE(settings.choices.mono);
    MergeOptionsForm next(settings);
    next.SetUp();
    EXPECT_EQ(next.Bitrate().text, "96");
    EXPECT_TRUE(next.Mono());
    next.SetBitrateText("9");
    next.Confirm();
    EXPECT_EQ(settings.choices.bitrateKbps, 96);
}

TEST(MergeOptionsView, EveryControlHasAnAltKeyOfItsOwnInBothTypes) {
    for (const bool books : {false, true}) {
        MergeSettings settings;
        settings.choices.audioBookMode = books;
        MergeOptionsForm form(settings);
        form.SetUp();
        const MergeOptionsCaptions c = MarkedCaptions(form);
        std::set<char> keys;
        for (const std::string* caption :
             {&c.start, &c.cancel, &c.help, &c.music, &c.audioBooks, &c.keepGenre,
              &c.keepAlbumTitle, &c.keepArtist, &c.keepTrackNames, &c.genre, &c.title, &c.artist,
              &c.name, &c.format, &c.jobs, &c.bitrate, &c.mono}) {
            const std::size_t at = caption->find('&');
            ASSERT_NE(at, std::string::npos) << *caption;
            EXPECT_EQ(caption->find('&', at + 1), std::string::npos) << *caption;
            // A key of its own, and a letter of the caption rather than one put after it.
            EXPECT_TRUE(keys.insert(static_cast<char>(std::tolower((*caption)[at + 1]))).second)
                << *caption;
            EXPECT_EQ(caption->find(" (&"), std::string::npos) << *caption;
        }
        EXPECT_EQ(c.name, books ? "Track &name" : "Song &name");
    }
}

TEST(MergeOptionsView, MnemonicGoesBeforeAWordThatBeginsWithTheKey) {
    const struct {
        const char* caption;
        char key;
        const char* marked;
    } cases[] = {
        {"Start Merge", 's', "&Start Merge"},
        {"Song name", 'n', "Song &name"},
        {"Author", 'r', "Autho&r"},
        {"Keep the current book title", 'b', "Keep the current &book title"},
        {"OK", 'x', "OK (&X)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithMnemonic(c.caption, c.key), c.marked);
}

TEST(MergeOptionsView, OffersFoldersAndOneMp3AndM4bWhereBuiltAndAutomaticJobs) {
    EXPECT_EQ(OfferedFormats()[0].caption, "Folders of tracks");
    EXPECT_EQ(OfferedFormats()[1].caption, "One MP3 with chapters");
    EXPECT_EQ(FormatIndex(OutputFormat::Mp3Book), 1);
#ifdef BRAMBEX_M4B
    ASSERT_EQ(OfferedFormats().size(), 3u);
    EXPECT_EQ(OfferedFormats()[2].caption, "One M4B audiobook");
    EXPECT_EQ(FormatIndex(OutputFormat::M4bBook), 2);
    EXPECT_TRUE(FormatOffered(OutputFormat::M4bBook));
#else
    ASSERT_EQ(OfferedFormats().size(), 2u);
    EXPECT_EQ(FormatIndex(OutputFormat::M4bBook), 0);  // not offered
    EXPECT_FALSE(FormatOffered(OutputFormat::M4bBook));
#endif
    const std::vector<JobsEntry> jobs = JobsEntries();
    ASSERT_EQ(jobs.size(), static_cast<std::size_t>(MaxJobs) + 1);
    EXPECT_EQ(jobs.front().caption, "Automatic");
    EXPECT_EQ(jobs.front().jobs, 0);
    EXPECT_EQ(jobs.back().caption, std::to_string(MaxJobs));
}

TEST(MergeOptionsView, PreviewListsFilesOrABooksChapters) {
    MergePreview preview;
    preview.folders = {"Dune_1", "Dune_2", "Dune_3"};
    preview.tracks = {{"01 1-1 A.mp3", "1-1 Dune"}, {"02 1-2 B.mp3", "1-2 Dune"}};
    PreviewLines lines = ListPreview(preview, OutputFormat::FolderOfTracks);
    EXPECT_EQ(lines.heading, "Into the folders \"Dune_1\", \"Dune_2\" and \"Dune_3\":");
    EXPECT_EQ(lines.firstColumn, "File");
    ASSERT_EQ(lines.rows.size(), 2u);
    EXPECT_EQ(lines.rows[1], (std::pair<std::string, std::string>{"02 1-2 B.mp3", "1-2 Dune"}));

    preview.folders = {"Dune"};
    preview.bookFile = "Dune.mp3";
    lines = ListPreview(preview, OutputFormat::Mp3Book);
    EXPECT_EQ(lines.heading, "Into the folder \"Dune\", the file \"Dune.mp3\" with the chapters:");
    EXPECT_EQ(lines.firstColumn, "Chapter");
    EXPECT_EQ(lines.rows[1], (std::pair<std::string, std::string>{"2", "1-2 Dune"}));

    preview.bookFile = "Dune.m4b";
    EXPECT_EQ(ListPreview(preview, OutputFormat::M4bBook, "AAC at 64 kb/s, mono").heading,
              "Into the folder \"Dune\", the file \"Dune.m4b\" (AAC at 64 kb/s, mono) with the "
              "chapters:");

    preview.problem = "Unrecognized code: <x> ignored.";
    EXPECT_EQ(ListPreview(preview, OutputFormat::Mp3Book).heading, preview.problem);
}

}  // namespace
}  // namespace brambex
