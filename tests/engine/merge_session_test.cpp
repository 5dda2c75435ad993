// The merge session as a front end drives it: the outcome of each step, and two
// sessions on two sets in one process, neither touching the process's current folder.
#include "engine/merge_session.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "options/merge_options_form.h"
#include "support/fake_front_end.h"
#include "support/tag_bytes.h"
#include "support/temp_tree.h"

namespace brambex {
namespace {

using Kind = MergeOutcome::Kind;
using testing::FakeFrontEnd;
using testing::TempTree;

std::string TrackOf(const std::string& album) {
    return testing::PaddedTag(testing::TextFrame("TALB", album), 64) + testing::FillerAudio(5000) +
           std::string(128, '\0');
}

// A set of two discs of two tracks each in folder `where`, named "<title> Disc N".
void MakeSet(const TempTree& tree, const std::string& where, const std::string& title) {
    for (int disc = 1; disc <= 2; ++disc) {
        for (int track = 1; track <= 2; ++track) {
            tree.File(where + "/" + title + " Disc " + std::to_string(disc) + "/0" +
                          std::to_string(track) + " T.mp3",
                      TrackOf(title + " Disc 1"));
        }
    }
}

TEST(MergeSession, TwoSessionsMergeTwoSetsSideBySide) {
    TempTree tree;
    MakeSet(tree, "Books", "Dune");
    MakeSet(tree, "Music", "Opera");
    const std::filesystem::path started = std::filesystem::current_path();
    FakeFrontEnd books, music;
    MergeSession dune(books), opera(music);

    MergeOutcome scanned = dune.Scan(tree.Path("Books/Dune Disc 1"));
    EXPECT_EQ(scanned.kind, Kind::Completed);
    EXPECT_EQ(scanned.discs, 2);
    EXPECT_EQ(scanned.tracks, 4);
    ASSERT_TRUE(opera.Scan(tree.Path("Music/Opera Disc 1")).Completed());
    EXPECT_EQ(dune.SetFolder(), tree.Path("Books"));
    EXPECT_EQ(opera.SetFolder(), tree.Path("Music"));

    // Each prepared before the other runs: nothing of one merge lives outside its session.
    CancelFlag never;
    ASSERT_TRUE(dune.Prepare().Completed());
    ASSERT_TRUE(opera.Prepare().Completed());
    MergeOutcome merged = opera.Run(never);
    EXPECT_EQ(merged.kind, Kind::Completed);
    EXPECT_EQ(merged.tracks, 4);
    EXPECT_TRUE(dune.Run(never).Completed());

    EXPECT_TRUE(books.messages.empty()) << books.messages[0].text;
    EXPECT_TRUE(music.messages.empty()) << music.messages[0].text;
    EXPECT_EQ(tree.List("Books/Dune_1").size(), 5u);  // four tracks and the key file
    EXPECT_EQ(tree.List("Music/Opera_1").size(), 5u);
    EXPECT_FALSE(tree.Exists("Music/Dune_1"));
    EXPECT_EQ(std::filesystem::current_path(), started);
    EXPECT_FALSE(dune.HasSet());  // merged: a new set must be chosen
}

TEST(MergeSession, OutcomesTellWhyAMergeEnded) {
    TempTree tree;
    MakeSet(tree, "Books", "Dune");
    FakeFrontEnd ui;
    MergeSession session(ui);
    CancelFlag cancel;

    EXPECT_EQ(session.Scan(tree.Path("Books/Missing Disc 1")).kind, Kind::Stopped);
    EXPECT_FALSE(session.HasSet());
    EXPECT_EQ(session.Merge(cancel).kind, Kind::Stopped);  // no set chosen
    ASSERT_TRUE(session.Scan(tree.Path("Books/Dune Disc 1")).Completed());

    ui.mergeOptions = [](MergeOptionsForm& form) {
        form.SetTitleText("AC/DC");
        return true;
    };
    EXPECT_EQ(session.Merge(cancel).kind, Kind::Refused);
    ui.mergeOptions = [](MergeOptionsForm&) { return false; };
    EXPECT_EQ(session.Merge(cancel).kind, Kind::Cancelled);

    // Cancelled before the first track: the folder is prepared, no track is copied.
    ui.mergeOptions = [](MergeOptionsForm&) { return true; };
    cancel.Request();
    MergeOutcome cancelled = session.Merge(cancel);
    EXPECT_EQ(cancelled.kind, Kind::Cancelled);
    EXPECT_EQ(cancelled.tracks, 0);
    EXPECT_EQ(tree.List("Books/Dune_1"),
              (std::vector<std::string>{".brambex-incomplete", "merged"}));
    EXPECT_TRUE(session.HasSet());
    EXPECT_FALSE(session.Run(cancel).Completed());  // Run needs a Prepare first
}

// A merge that stopped before writing asks again with what was confirmed for its set;
// another set is proposed its own defaults.
TEST(MergeSession, ConfirmedChoicesComeBackForTheSameSetOnly) {
    TempTree tree;
    MakeSet(tree, "Books", "Dune");
    MakeSet(tree, "Books", "Emma");
    FakeFrontEnd ui;
    std::vector<std::string> shown;
    ui.mergeOptions = [&](MergeOptionsForm& form) {
        shown.push_back(form.Title().text);
        if (shown.size() == 1)
            form.SetTitleText("Typed");
        return true;
    };
    MergeSession session(ui);
    CancelFlag cancel;
    cancel.Request();
    ASSERT_TRUE(session.Scan(tree.Path("Books/Dune Disc 1")).Completed());
    EXPECT_EQ(session.Merge(cancel).kind, Kind::Cancelled);
    session.Merge(cancel);
    ASSERT_TRUE(session.Scan(tree.Path("Books/Emma Disc 1")).Completed());
    session.Merge(cancel);
    EXPECT_EQ(shown, (std::vector<std::string>{"Dune_1", "Typed", "Emma_1"}));
}

TEST(MergeSession, TracksTooManyForOneFolderAreSplitAfterANote) {
    TempTree tree;
    for (int n = 0; n < MaxTracksPerFolder + 1; ++n) {
        const int track = n % 99 + 1;
        tree.File("Big Disc " + std::to_string(n / 99 + 1) + "/" + (track < 10 ? "0" : "") +
                      std::to_string(track) + " T.mp3",
                  TrackOf("Big"));
    }
    FakeFrontEnd ui;
    ui.mergeOptions = [](MergeOptionsForm& form) {
        form.SetTitleText("Big");
        return true;
    };
    MergeSession session(ui);
    ASSERT_TRUE(session.Scan(tree.Path("Big Disc 1")).Completed());
    CancelFlag never;
    EXPECT_TRUE(session.Merge(never).Completed());
    EXPECT_TRUE(testing::OnlyMessage(
        ui, "Too many tracks to fit in one folder.\nAdding a sequence number to the folder name.",
        "Error", MessageKind::Notice));
    EXPECT_EQ(session.LastRun().folderNumber, 2);
    EXPECT_TRUE(tree.Exists("Big_2/01 3-57 T.mp3"));
}

TEST(MergeSession, SetsBesideEachOtherAreProposedTitlesThatNeverMeet) {
    TempTree tree;
    const std::string untagged = testing::PaddedTag(testing::TextFrame("TIT2", "T"), 64) +
                                 testing::FillerAudio(5000) + std::string(128, '\0');
    for (const char* disc : {"Walden Disc 1", "Walden Disc 2", "Odyssey Disc 1"})
        tree.File(std::string("Shelf/") + disc + "/01 T.mp3", untagged);
    for (const char* disc : {"Tales CD1", "Stories CD1"})
        tree.File(std::string("Shelf/") + disc + "/01 T.mp3", TrackOf("Collected Works"));
    FakeFrontEnd ui;
    std::string proposed;
    ui.mergeOptions = [&](MergeOptionsForm& form) {
        proposed = form.Title().text;
        return true;
    };
    const std::pair<const char*, const char*> sets[] = {{"Walden Disc 1", "Walden_1"},
                                                        {"Odyssey Disc 1", "Odyssey_1"},
                                                        {"Tales CD1", "Tales_1"},
                                                        {"Stories CD1", "Stories_1"}};
    CancelFlag never;
    for (const auto& [disc, title] : sets) {
        // Each in a session of its own, as one command after another merges them.
        MergeSession session(ui);
        ASSERT_TRUE(session.Scan(tree.Path(std::string("Shelf/") + disc)).Completed());
        EXPECT_TRUE(session.Merge(never).Completed()) << disc;
        EXPECT_EQ(proposed, title);
        EXPECT_TRUE(tree.Exists(std::string("Shelf/") + title + "/01 1-1 T.mp3")) << title;
    }
    EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    EXPECT_FALSE(tree.Exists("Shelf/_1"));
}

}  // namespace
}  // namespace brambex
