// The main window's state as its model decides it: what the folder list, its caption
// and the status line show after a scan and after each way a merge can end, and which
// folder "Open folder" shows.
#include "app/main_window_model.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "options/merge_options_form.h"
#include "platform/file_system.h"

#include "support/failing_file_system.h"
#include "support/fake_front_end.h"
#include "support/tag_bytes.h"
#include "support/temp_tree.h"

namespace brambex {
namespace {

using testing::TempTree;
using Folders = std::vector<std::string>;

// Hands the status line to the model, as the desktop front end does.
class WindowFrontEnd : public testing::FakeFrontEnd {
  public:
    MainWindowModel* model = nullptr;
    void ShowStatus(std::string_view text) override { model->ShowStatus(text); }
};

class MainWindowModelTest : public ::testing::Test {
  protected:
    MainWindowModelTest() {
        ui.model = &model;
        const std::string track =
            testing::PaddedTag(testing::TextFrame("TALB", "Dune Disc 1"), 64) +
            testing::FillerAudio(5000) + std::string(128, '\0');
        for (const char* name : {"Dune Disc 1/01 A.mp3", "Dune Disc 1/02 B.mp3",
                                 "Dune Disc 2/01 C.mp3", "Dune Disc 2/02 D.mp3"})
            tree.File(std::string("Books/") + name, track);
    }
    void Merge() {
        model.Merge(ui.cancel);
        model.MergeEnded();
    }

    TempTree tree;
    WindowFrontEnd ui;
    testing::FailingFileSystem files;
    MainWindowModel model{ui, files};
};

TEST_F(MainWindowModelTest, AScanListsTheDiscsAndCountsTheirFiles) {
    EXPECT_EQ(model.Status(), "Select the first folder in the sequence");
    EXPECT_EQ(model.FolderCaption(), "Folders");
    model.Scan(tree.Path("Books/Dune Disc 1"));
    EXPECT_EQ(model.Folders(), (Folders{"Dune Disc 1", "Dune Disc 2"}));
    EXPECT_EQ(model.Status(), "2 discs, 4 files.");
    EXPECT_EQ(model.SetPath(), tree.Path("Books/Dune Disc 1"));
    EXPECT_TRUE(model.MergeEnabled());
    EXPECT_FALSE(model.OpenFolderShown());
    EXPECT_FALSE(model.DetailsShown());
}

// Choosing a set checks it whole at once; what the check finds is said in the window,
// never in a box, and such a set cannot be merged.
TEST_F(MainWindowModelTest, AScanSaysWhatKeepsTheSetFromMerging) {
    struct Case {
        const char* name;
        std::vector<std::string> files;
        const char* chosen;
        std::string finding;  // how the check's words begin
        const char* status;
        const char* discOne = "";  // offered instead
    };
    const Case cases[] = {
        {"later disc",
         {"Opera 01/01 A.mp3", "Opera 02/01 A.mp3"},
         "Opera 02",
         "The folder \"Opera 02\" looks like disc 2 of a set",
         "1 disc, 1 file.",
         "Opera 01"},
        {"missing disc",
         {"X Disc 1/01 A.mp3", "X Disc 3/01 A.mp3"},
         "X Disc 1",
         "I could not find a folder for disc 2.",
         "2 discs, 2 files."},
        {"no tracks",
         {"X Disc 1/A.mp3"},
         "X Disc 1",
         "The folder \"X Disc 1\" holds no tracks",
         "1 disc, 1 file."},
        {"two tracks of one number",
         {"X Disc 1/01 A.mp3", "X Disc 1/01 B.mp3"},
         "X Disc 1",
         "Two or more tracks have the same number: \"" + platform::JoinPath("X Disc 1", "01*.mp3") +
             "\".",
         "1 disc, 2 files."},
        {"not there",
         {},
         "Gone Disc 1",
         "Neither the folder",
         "Select the first folder in the sequence"},
    };
    for (const Case& c : cases) {
        TempTree sets;
        for (const std::string& file : c.files)
            sets.File(file);
        model.Scan(sets.Path(c.chosen));
        EXPECT_TRUE(ui.messages.empty()) << c.name << ": " << ui.MessageTexts().front();
        EXPECT_TRUE(model.Finding().starts_with(c.finding)) << c.name << ": " << model.Finding();
        EXPECT_FALSE(model.MergeEnabled()) << c.name;
        EXPECT_EQ(model.Status(), c.status) << c.name;
        EXPECT_EQ(model.UseDiscOneShown(), *c.discOne != '\0') << c.name;
        model.UseDiscOne();
        if (*c.discOne) {
            EXPECT_EQ(model.SetPath(), sets.Path(c.discOne)) << c.name;
        }
        EXPECT_EQ(model.MergeEnabled(), *c.discOne != '\0') << c.name;
    }
}

// A set joins the recent sets once its scan finds it; one whose folder has gone since
// leaves them when chosen there, with words that say so.
TEST_F(MainWindowModelTest, RecentSetsAreTheSetsFoundAndLoseTheGoneOnes) {
    model.Scan(tree.Path("Books/Gone Disc 1"));
    EXPECT_TRUE(model.Recent().Paths().empty());
    model.Scan(tree.Path("Books/Dune Disc 2"));
    model.UseDiscOne();
    EXPECT_EQ(model.Recent().Paths(), Folders{tree.Path("Books/Dune Disc 1")});

    model.KeepRecent({tree.Path("Books/Gone Disc 1"), tree.Path("Books/Dune Disc 1")});
    EXPECT_EQ(model.OpenRecent(tree.Path("Books/Gone Disc 1")),
              "The folder \"" + tree.Path("Books/Gone Disc 1") +
                  "\" is no longer there (No such file or directory).\nIt is taken off the "
                  "recent sets.");
    EXPECT_EQ(model.Recent().Paths(), Folders{tree.Path("Books/Dune Disc 1")});
    model.ForgetSet();
    EXPECT_EQ(model.OpenRecent(tree.Path("Books/Dune Disc 1")), "");
    EXPECT_EQ(model.SetPath(), tree.Path("Books/Dune Disc 1"));
    EXPECT_TRUE(model.MergeEnabled());
}

TEST_F(MainWindowModelTest, AMergeThatNeverStartedLeavesTheWindowAsItWas) {
    Merge();
    EXPECT_EQ(ui.MessageTexts().size(), 1u);  // "Before merging, you must first select ..."
    EXPECT_EQ(model.Status(), "Select the first folder in the sequence");

    model.Scan(tree.Path("Books/Dune Disc 1"));
    ui.mergeOptions = [](MergeOptionsForm&) { return false; };
    Merge();
    EXPECT_EQ(model.Status(), "2 discs, 4 files.");
    EXPECT_EQ(model.Folders(), (Folders{"Dune Disc 1", "Dune Disc 2"}));
}

TEST_F(MainWindowModelTest, ACancelledMergeKeepsTheSetAndSaysHowFarItGot) {
    model.Scan(tree.Path("Books/Dune Disc 1"));
    ui.cancel.Request();
    Merge();
    EXPECT_EQ(model.Status(), "Merge cancelled. No track was written.");
    EXPECT_TRUE(ui.messages.empty());  // no box over the progress window
    EXPECT_EQ(model.Folders(), (Folders{"Dune Disc 1", "Dune Disc 2"}));
    EXPECT_EQ(model.FolderCaption(), "Folders");
    EXPECT_FALSE(model.OpenFolderShown());
    EXPECT_EQ(model.OutputFolderPath(""), "");
}

// A merge that ends before its last track says on the status line, never in a box over
// the progress window, what happened, why, and how many tracks are where; Details shows
// the message that stopped it.
TEST_F(MainWindowModelTest, AMergeEndedEarlySaysWhyAndWhereTheTracksAre) {
    struct Case {
        const char* name;
        bool cancelAtSecond;  // else the third track cannot take its name
        const char* status;
        std::string firstNote;
    };
    const Case cases[] = {
        {"cancelled", true, "Merge cancelled. 2 of 4 tracks are in \"Dune_1\".", ""},
        {"stopped", false, "Merge stopped: permission denied. 2 of 4 tracks are in \"Dune_1\".",
         platform::JoinPath("Dune_1", "03 2-1 C.mp3") +
             ": Could not open output file (Permission denied)."},
    };
    for (const Case& c : cases) {
        model.Scan(tree.Path("Books/Dune Disc 1"));
        ui.messages.clear();
        ui.answers = {Answer::Yes};  // an earlier case's output folder is emptied
        ui.cancel.Clear();
        ui.onProgressUpdate = [&](int) {
            if (c.cancelAtSecond && ui.progress.back().value == 2)
                ui.cancel.Request();
        };
        files.renameFails = [&](const std::string& to) {
            return !c.cancelAtSecond && to.ends_with("03 2-1 C.mp3");
        };
        Merge();
        EXPECT_EQ(model.Status(), c.status) << c.name;
        for (const testing::RecordedMessage& m : ui.messages)
            EXPECT_EQ(m.style, MessageKind::Question) << c.name << ": " << m.text;
        EXPECT_EQ(model.DetailsShown(), !c.firstNote.empty()) << c.name;
        if (model.DetailsShown()) {
            EXPECT_EQ(model.Notes().front(), c.firstNote) << c.name;
        }
        EXPECT_TRUE(model.MergeEnabled()) << c.name;  // the set stays chosen
    }
}

// An error that escapes a merge (the window reports it) leaves no message held back.
TEST_F(MainWindowModelTest, AMergeThatThrowsHoldsNoLaterMessage) {
    model.Scan(tree.Path("Books/Dune Disc 1"));
    ui.onProgressUpdate = [](int) { throw std::runtime_error("escaped"); };
    EXPECT_THROW(model.Merge(ui.cancel), std::runtime_error);
    ui.onProgressUpdate = nullptr;
    ui.messages.clear();
    model.ForgetSet();
    Merge();
    EXPECT_EQ(ui.MessageTexts().size(), 1u);  // "Before merging, you must first select ..."
}

TEST_F(MainWindowModelTest, ACompletedMergeListsItsOutputFoldersUntilTheNextSet) {
    model.Scan(tree.Path("Books/Dune Disc 1"));
    std::string captionWhileMerging;
    ui.onProgressUpdate = [&](int) { captionWhileMerging = model.FolderCaption(); };
    Merge();
    EXPECT_EQ(captionWhileMerging, "Folders in this book");
    EXPECT_EQ(model.Status(), "Merged 4 tracks into \"Dune_1\".");
    EXPECT_EQ(model.Folders(), Folders{"Dune_1"});
    EXPECT_EQ(model.FolderCaption(), "Output folders");
    EXPECT_TRUE(model.OpenFolderShown());
    EXPECT_EQ(model.OutputFolderPath(""), tree.Path("Books/Dune_1"));
    EXPECT_EQ(model.OutputFolderPath("Dune_1"), tree.Path("Books/Dune_1"));
    // The set stays chosen, to be merged again.
    EXPECT_EQ(model.SetPath(), tree.Path("Books/Dune Disc 1"));
    EXPECT_TRUE(model.MergeEnabled());

    model.ForgetSet();
    EXPECT_TRUE(model.Folders().empty());
    EXPECT_EQ(model.FolderCaption(), "Folders");
    EXPECT_FALSE(model.OpenFolderShown());
}

TEST_F(MainWindowModelTest, AnAlbumsMergeNamesTheAlbumsFolders) {
    model.Scan(tree.Path("Books/Dune Disc 1"));
    ui.mergeOptions = [](MergeOptionsForm& form) {
        form.ChooseMusic();
        return true;
    };
    std::string captionWhileMerging;
    ui.onProgressUpdate = [&](int) { captionWhileMerging = model.FolderCaption(); };
    Merge();
    EXPECT_EQ(captionWhileMerging, "Folders in this album");
}

}  // namespace
}  // namespace brambex
