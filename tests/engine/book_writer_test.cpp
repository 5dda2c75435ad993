// A set merged as one chaptered MP3 through the session: where the book goes, what its
// chapters are called, what a refusal, a cancel and a dry run leave behind.
#include "engine/book_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/book_folder.h"
#include "engine/merge_session.h"
#include "options/merge_options_form.h"
#include "support/fake_front_end.h"
#include "support/mpeg_bytes.h"
#include "support/rewrite_pass.h"
#include "support/tag_bytes.h"
#include "support/temp_tree.h"

namespace brambex {
namespace {

using testing::Native;
using Names = std::vector<std::string>;

class BookPlan : public DryRun {
  public:
    void OutputFolder(const std::string& folder, const std::string&,
                      const std::vector<std::string>&) override {
        folders.push_back(folder);
    }
    void Track(const PlannedTrack&) override { ADD_FAILURE() << "a book lists no tracks"; }
    void BookFile(const PlannedBookFile& file) override {
        files.push_back(file.outputPath);
        for (const PlannedChapter& c : file.chapters)
            chapters.push_back(c.title + " " + std::to_string(c.startMs) + " " + c.inputPath);
    }
    Names folders, files, chapters;
};

class BookWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Put("Moby Dick Disc 1/01 A.mp3", "Loomings", testing::Frames(10));
        Put("Moby Dick Disc 1/02 B.mp3", "", testing::Frames(5));
        Put("Moby Dick Disc 2/01 C.mp3", "The Carpet-Bag", testing::Frames(4));
        tree.File("Moby Dick Disc 1/front.jpg", "\xFF\xD8 picture");
        settings.choices.format = OutputFormat::Mp3Book;
    }
    void Put(const std::string& path, const std::string& title, const std::string& audio) {
        const std::string frames = testing::TextFrame("TALB", "Moby Dick Disc 1") +
                                   (title.empty() ? "" : testing::TextFrame("TIT2", title));
        tree.File(path, testing::PaddedTag(frames, 64) + audio);
    }
    void ScanAndMerge(DryRun* plan = nullptr) {
        ASSERT_TRUE(session.Scan(tree.Path("Moby Dick Disc 1")).Completed());
        outcome = session.Merge(ui.cancel, plan);
    }
    Names Frames(const std::string& path) const {
        return testing::RewriteInMemory(tree.Read(path)).frames;
    }

    testing::TempTree tree;
    testing::FakeFrontEnd ui;
    MergeSession session{ui};
    MergeSettings& settings = session.Settings();
    MergeOutcome outcome;
};

TEST_F(BookWriterTest, TheSetBecomesOneFileInAFolderNamedByTheTitle) {
    ScanAndMerge();
    ASSERT_EQ(outcome.kind, MergeOutcome::Kind::Completed) << ui.MessageTexts().front();
    EXPECT_EQ(outcome.tracks, 3);
    EXPECT_EQ(tree.List("Moby Dick"), (Names{"Moby Dick.mp3", "front.jpg", "merged"}));
    const Names frames = Frames("Moby Dick/Moby Dick.mp3");
    // The pattern names each chapter as it names a copied track's TIT2.
    EXPECT_EQ(frames, (Names{"TIT2=Moby Dick", "TALB=Moby Dick", "TCON=Audiobook", "APIC", "CTOC",
                             "CHAP=ch1 0-261 1-1 Moby Dick", "CHAP=ch2 261-392 1-2 Moby Dick",
                             "CHAP=ch3 392-496 2-1 Moby Dick"}));
    EXPECT_EQ(ui.bytes.first, ui.bytes.second);
    // The front end knew the temporary file while it was written, to remove it on a signal.
    EXPECT_EQ(ui.mostWritingAtOnce, 1u);
    EXPECT_TRUE(ui.writing.empty());
}

TEST_F(BookWriterTest, TheFirstTracksOwnFrontCoverWinsOverTheDiscFoldersPicture) {
    const std::string cover = "\xFF\xD8 the track's own cover";
    tree.File("Moby Dick Disc 1/01 A.mp3",
              testing::PaddedTag(
                  testing::Frame("APIC", std::string("\0image/jpeg\0\x03\0", 14) + cover), 64) +
                  testing::Frames(10));
    ScanAndMerge();
    const std::string book = tree.Read("Moby Dick/Moby Dick.mp3");
    EXPECT_NE(book.find(cover), std::string::npos);
    EXPECT_EQ(book.find("picture"), std::string::npos);
}

TEST_F(BookWriterTest, KeptNamesAreTheChaptersWhereTheTracksHaveThem) {
    ui.mergeOptions = [](MergeOptionsForm& form) {
        form.SetKeepTrackNames(true);
        return true;
    };
    ScanAndMerge();
    const Names frames = Frames("Moby Dick/Moby Dick.mp3");
    EXPECT_EQ(Names(frames.end() - 3, frames.end()),
              (Names{"CHAP=ch1 0-261 Loomings", "CHAP=ch2 261-392 1-2 Moby Dick",
                     "CHAP=ch3 392-496 The Carpet-Bag"}));
}

TEST_F(BookWriterTest, ATrackOfAnotherSampleRateRefusesTheSetBeforeAnythingIsWritten) {
    Put("Moby Dick Disc 2/01 C.mp3", "", testing::Frames(4, 0xFFFB9464));
    ScanAndMerge();
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Stopped);
    EXPECT_EQ(outcome.stoppedAt, Native("Moby Dick Disc 2/01 C.mp3"));
    EXPECT_FALSE(tree.Exists("Moby Dick"));
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& text = ui.messages[0].text;
    EXPECT_NE(text.find(Native("\"Moby Dick Disc 2/01 C.mp3\" is 48000 Hz instead of 44100 Hz")),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("--format m4b"), std::string::npos) << text;
}

TEST_F(BookWriterTest, ACancelLeavesNoBookAndNoTemporaryFile) {
    // The first update reads the first track, a later one copies it.
    for (const int at : {0, 4}) {
        ui.cancel.Clear();
        ui.onProgressUpdate = [&, at](int update) {
            if (update == at)
                ui.cancel.Request();
        };
        ScanAndMerge();
        EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Cancelled) << at;
        EXPECT_FALSE(tree.Exists("Moby Dick/Moby Dick.mp3")) << at;
        if (tree.Exists("Moby Dick")) {
            EXPECT_EQ(tree.List("Moby Dick"),
                      (Names{".brambex-incomplete", "front.jpg", "merged"}));
        }
        EXPECT_TRUE(ui.writing.empty()) << at;
    }
}

// A track that changes while the book is written stops it there, named, and no part of
// a book is left.
TEST_F(BookWriterTest, ATrackChangedWhileTheBookIsWrittenIsNamedAndLeavesNoBook) {
    // Updates 0 to 5 read the three tracks; 6 says the book is being written.
    ui.onProgressUpdate = [&](int update) {
        if (update == 6)
            Put("Moby Dick Disc 2/01 C.mp3", "The Carpet-Bag", testing::Frames(6));
    };
    ScanAndMerge();
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Stopped);
    EXPECT_EQ(outcome.stoppedAt, Native("Moby Dick Disc 2/01 C.mp3"));
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text,
              "Could not read input file (it changed while the book was written)");
    EXPECT_FALSE(tree.Exists("Moby Dick/Moby Dick.mp3"));
    EXPECT_TRUE(ui.writing.empty());
}

TEST_F(BookWriterTest, ADryRunListsTheFileAndItsChaptersAndWritesNothing) {
    BookPlan plan;
    ScanAndMerge(&plan);
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Completed);
    EXPECT_FALSE(tree.Exists("Moby Dick"));
    EXPECT_EQ(plan.folders, Names{"Moby Dick"});
    EXPECT_EQ(plan.files, Names{Native("Moby Dick/Moby Dick.mp3")});
    EXPECT_EQ(plan.chapters, (Names{"1-1 Moby Dick 0 " + Native("Moby Dick Disc 1/01 A.mp3"),
                                    "1-2 Moby Dick 261 " + Native("Moby Dick Disc 1/02 B.mp3"),
                                    "2-1 Moby Dick 392 " + Native("Moby Dick Disc 2/01 C.mp3")}));
}

TEST(BookFileName, APartsNumberAndTheExtensionOutlastALongTitle) {
    const std::string longTitle(300, 'x');
    EXPECT_EQ(BookFileName("Moby Dick", ".mp3", 1, 1), "Moby Dick.mp3");
    EXPECT_EQ(BookFileName("Moby Dick", ".mp3", 2, 3), "Moby Dick - Part 2.mp3");
    EXPECT_EQ(BookFileName(longTitle, ".mp3", 12, 12), std::string(241, 'x') + " - Part 12.mp3");
}

}  // namespace
}  // namespace brambex
