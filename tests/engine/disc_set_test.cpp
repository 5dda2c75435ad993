#include "engine/disc_set.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.h"
#include "support/fake_front_end.h"
#include "support/temp_tree.h"

namespace brambex {
namespace {

using testing::FakeFrontEnd;
using testing::OnlyMessage;
using testing::TempTree;

TEST(DiscFolderStem, CutsTheDiscOneSuffix) {
    struct Case {
        const char* chosen;
        const char* stem;
        bool found;
    };
    const Case cases[] = {
        {"/rips/Moby Dick Disc 1", "/rips/Moby Dick Disc", true},
        {"/rips/Moby Dick disk 01", "/rips/Moby Dick disk", true},
        {"/rips/moby dick DISC 1", "/rips/moby dick DISC", true},
        {"/rips/X DiSk 1", "/rips/X DiSk", true},
        {"/rips/Opera 01", "/rips/Opera", true},
        {"/rips/Opera CD 1", "/rips/Opera CD", true},
        {"/rips/Opera CD1", "/rips/Opera CD1", false},
        {"/rips/Opera 11", "/rips/Opera 11", false},
        {"/rips/Opera 001", "/rips/Opera 001", false},
        {"/rips/Opera 2", "/rips/Opera 2", false},
        // Only the leftmost " Disc 1" is looked at; it does not end the path, so the
        // plain " 1" rule cuts instead.
        {"/rips/Tales Disc 1 Disc 1", "/rips/Tales Disc 1 Disc", true},
        {"/rips/A Disc 1/B 01", "/rips/A Disc 1/B", true},
        {"/rips/Discs Disc 10", "/rips/Discs Disc 10", false},
        {" 1", "", true},
        {"1", "1", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        bool found = !c.found;
        EXPECT_EQ(DiscFolderStem(c.chosen, found), c.stem) << c.chosen;
        EXPECT_EQ(found, c.found) << c.chosen;
    }
}

class DiscSetTest : public ::testing::Test {
  protected:
    // Disc folders with the given numbers of tracks, named "<base><number>".
    void MakeDiscs(const std::string& base, int discs, int tracksEach = 2) {
        for (int d = 1; d <= discs; ++d) {
            std::string folder = tree.Folder("Rips/" + base + std::to_string(d));
            for (int t = 1; t <= tracksEach; ++t)
                tree.File("Rips/" + base + std::to_string(d) + "/0" + std::to_string(t) + " T.mp3");
        }
    }
    bool Scan(const std::string& relative) {
        return ScanDiscSet(settings, ui, tree.Path(relative));
    }
    std::optional<std::string> Find(int disc) { return FindDiscFolder(settings, ui, disc); }
    std::filesystem::path Current() const { return platform::CurrentFolder(); }

    TempTree tree;
    FakeFrontEnd ui;
    MergeSettings settings;
};

TEST_F(DiscSetTest, TwelveDiscsWithTheirTracks) {
    MakeDiscs("Moby Dick Disc ", 12, 3);
    tree.File("Rips/Moby Dick Disc notes.txt");  // a file sharing the stem is no disc
    ASSERT_TRUE(Scan("Rips/Moby Dick Disc 1"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(settings.discFolderStem, tree.Path("Rips/Moby Dick Disc"));
    EXPECT_TRUE(discSuffixFound);
    EXPECT_EQ(settings.discCount, 12);
    EXPECT_EQ(settings.trackCount, 36);
    EXPECT_EQ(Current(), std::filesystem::canonical(tree.Path("Rips")));
    ASSERT_EQ(ui.folders.size(), 12u);
    EXPECT_EQ(ui.folders[0], "Moby Dick Disc 1");
    EXPECT_EQ(ui.folders[1], "Moby Dick Disc 10");

    EXPECT_EQ(Find(1), "Moby Dick Disc 1");
    EXPECT_EQ(Find(2), "Moby Dick Disc 2");
    EXPECT_EQ(Find(10), "Moby Dick Disc 10");
    EXPECT_EQ(Find(12), "Moby Dick Disc 12");
    EXPECT_TRUE(ui.messages.empty());
    // The names resolve against the folder the scan made current.
    EXPECT_TRUE(platform::PathExists("Moby Dick Disc 10/01 T.mp3"));
}

TEST_F(DiscSetTest, TwoDigitNumbersAreFoundWithTheSecondPattern) {
    MakeDiscs("Opera 0", 2);
    ASSERT_TRUE(Scan("Rips/Opera 01"));
    EXPECT_EQ(settings.discFolderStem, tree.Path("Rips/Opera"));
    EXPECT_EQ(settings.discCount, 2);
    EXPECT_EQ(Find(1), "Opera 01");
    EXPECT_EQ(Find(2), "Opera 02");
}

TEST_F(DiscSetTest, EarlierOutputFolderWithKeyFileIsNoDisc) {
    MakeDiscs("Opera 0", 2);
    tree.File("Rips/Opera_1/01 1-1 T.mp3");
    tree.File("Rips/Opera_1/merged");
    tree.File("Rips/Opera_2/readme.txt");  // no key file: the user's, so counted
    ASSERT_TRUE(Scan("Rips/Opera 01"));
    EXPECT_EQ(settings.discCount, 3);
    EXPECT_EQ(settings.trackCount, 4);
    EXPECT_EQ(ui.folders, (std::vector<std::string>{"Opera 01", "Opera 02", "Opera_2"}));
}

TEST_F(DiscSetTest, CountsEveryFolderThatBeginsWithTheStem) {
    MakeDiscs("Moby Dick Disc ", 2);
    tree.Folder("Rips/Moby Dick Disc 1 (bonus)");  // no tracks: still a disc, adds 0
    ASSERT_TRUE(Scan("Rips/Moby Dick Disc 1"));
    EXPECT_EQ(settings.discCount, 3);
    EXPECT_EQ(settings.trackCount, 4);
}

TEST_F(DiscSetTest, WithoutSuffixTheChosenFolderIsDiscOne) {
    tree.File("Rips/Opera CD1/01 A.mp3");
    tree.Folder("Rips/Opera CD1 extras");
    ASSERT_TRUE(Scan("Rips/Opera CD1"));
    EXPECT_FALSE(discSuffixFound);
    EXPECT_EQ(settings.discFolderStem, tree.Path("Rips/Opera CD1"));
    EXPECT_EQ(settings.discCount, 2);
    EXPECT_EQ(Find(1), "Opera CD1");
    EXPECT_EQ(Find(2), std::nullopt);
    EXPECT_TRUE(OnlyMessage(ui,
                            "I could not find a folder for disc 2.\nPlease rip the missing disc, "
                            "or rename the folders\nas appropriate to get a continuous sequence, "
                            "then\nstart over with this set.",
                            "Error", MessageStyle::Stop));
}

TEST_F(DiscSetTest, DiscTwoAndDiscZeroTwoBesideEachOther) {
    tree.Folder("Rips/X Disc 1");
    tree.Folder("Rips/X Disc 2");
    tree.Folder("Rips/X Disc 02");
    ASSERT_TRUE(Scan("Rips/X Disc 1"));
    EXPECT_EQ(settings.discCount, 3);
    EXPECT_EQ(Find(2), "X Disc 2");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Find(3), std::nullopt);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.starts_with("I could not find a folder for disc 3.\n"));
}

TEST_F(DiscSetTest, TwoFoldersForOneDiscAreRefused) {
    tree.Folder("Rips/X Disc 1");
    tree.Folder("Rips/X Disc 2");
    tree.Folder("Rips/X Disc - bonus 2");
    ASSERT_TRUE(Scan("Rips/X Disc 1"));
    EXPECT_EQ(Find(2), std::nullopt);
    EXPECT_TRUE(OnlyMessage(ui,
                            "There are two folders that appear to be disc 2:\n     \"X Disc - "
                            "bonus 2\"\n     \"X Disc 2\"\nPlease rename one or both of these to "
                            "remove\nthe ambiguity, then start over with this set.",
                            "Error", MessageStyle::Stop));
}

TEST_F(DiscSetTest, SetOfOneFolder) {
    MakeDiscs("X Disc ", 1, 0);
    ASSERT_TRUE(Scan("Rips/X Disc 1"));
    EXPECT_EQ(settings.discCount, 1);
    EXPECT_EQ(settings.trackCount, 0);
    EXPECT_EQ(Find(1), "X Disc 1");
}

TEST_F(DiscSetTest, AcceptsBackslashAndTrailingSeparator) {
    MakeDiscs("Opera 0", 2);
    ASSERT_TRUE(ScanDiscSet(settings, ui, tree.Path("Rips") + "\\Opera 01"));
    EXPECT_EQ(settings.discCount, 2);
    EXPECT_EQ(Current(), std::filesystem::canonical(tree.Path("Rips")));
    EXPECT_EQ(Find(2), "Opera 02");

    ui.folders.clear();
    ASSERT_TRUE(ScanDiscSet(settings, ui, tree.Path("Rips/Opera 01/")));
    EXPECT_EQ(settings.discFolderStem, tree.Path("Rips/Opera"));
    EXPECT_EQ(settings.discCount, 2);
}

TEST_F(DiscSetTest, RelativePathKeepsNamingTheSetAfterTheFolderChange) {
    MakeDiscs("Opera 0", 2);
    ASSERT_TRUE(platform::SetCurrentFolder(tree.Root()));
    ASSERT_TRUE(ScanDiscSet(settings, ui, "Rips/Opera 01"));
    EXPECT_EQ(settings.discCount, 2);
    EXPECT_EQ(Current(), std::filesystem::canonical(tree.Path("Rips")));
    EXPECT_EQ(Find(1), "Opera 01");
    EXPECT_EQ(Find(2), "Opera 02");
}

TEST_F(DiscSetTest, FolderThatCannotBeEnteredEndsTheScan) {
    MakeDiscs("Opera 0", 2);
    ASSERT_TRUE(Scan("Rips/Opera 01"));
    ui.folders.clear();
    std::filesystem::path before = Current();

    EXPECT_FALSE(Scan("Missing/Opera 01"));
    EXPECT_TRUE(OnlyMessage(ui, "chdir failed", "Error", MessageStyle::Plain));
    EXPECT_EQ(settings.discCount, 0);
    EXPECT_EQ(settings.trackCount, 0);
    EXPECT_TRUE(ui.folders.empty());
    EXPECT_EQ(Current(), before);
}

TEST_F(DiscSetTest, NothingMatchingTheStemEndsTheScan) {
    tree.Folder("Rips/Other");
    settings.discCount = 4;
    settings.trackCount = 40;
    EXPECT_FALSE(Scan("Rips/Opera 01"));
    EXPECT_TRUE(OnlyMessage(ui, "FindFirstFile failed", "Error", MessageStyle::Plain));
    EXPECT_EQ(settings.discCount, 0);
    EXPECT_EQ(settings.trackCount, 0);
    EXPECT_TRUE(ui.folders.empty());
    EXPECT_EQ(Current(), std::filesystem::canonical(tree.Path("Rips")));
}

TEST_F(DiscSetTest, StemLongerThanItsLimitIsRefusedNotCut) {
    // Nested folders make a stem of exactly 1023 characters; the set beside it has a
    // sibling that shares only the first 1023 characters of a longer stem.
    std::string parent = "Rips";
    while (tree.Path(parent).size() + 1 + 200 + 7 < MaxStemText)
        parent += "/" + std::string(200, 'p');
    std::size_t room = MaxStemText - tree.Path(parent).size() - 1 - 5;
    std::string name(room, 'n');
    tree.File(parent + "/" + name + " Disc 1/01 A.mp3");
    ASSERT_EQ(tree.Path(parent + "/" + name + " Disc").size(), MaxStemText);
    ASSERT_TRUE(Scan(parent + "/" + name + " Disc 1"));
    EXPECT_EQ(settings.discCount, 1);
    EXPECT_EQ(settings.trackCount, 1);

    ui.folders.clear();
    std::filesystem::path before = Current();
    tree.File(parent + "/" + name + "x Disc 1/01 A.mp3");
    EXPECT_FALSE(Scan(parent + "/" + name + "x Disc 1"));
    EXPECT_TRUE(OnlyMessage(
        ui, "The path of this folder is too long:\n" + tree.Path(parent + "/" + name + "x Disc 1"),
        "Error", MessageStyle::Stop));
    EXPECT_EQ(settings.discCount, 0);
    EXPECT_EQ(settings.trackCount, 0);
    EXPECT_TRUE(ui.folders.empty());
    EXPECT_EQ(Current(), before);
}

TEST_F(DiscSetTest, CountTracksCountsEveryMp3Entry) {
    tree.File("Rips/D/01 A.mp3");
    tree.File("Rips/D/02 B.MP3");
    tree.Folder("Rips/D/03 Folder.mp3");  // counted whatever it is
    tree.File("Rips/D/04 C.mp3.txt");
    tree.File("Rips/D/Sub/05 D.mp3");  // sub-folders are not searched
    ASSERT_TRUE(platform::SetCurrentFolder(tree.Path("Rips")));
    EXPECT_EQ(CountTracks("D"), 3);
    EXPECT_EQ(CountTracks("Missing"), 0);
}

}  // namespace
}  // namespace brambex
