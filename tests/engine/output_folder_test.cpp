#include "engine/output_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

#include "engine/temporary_file.h"
#include "options/merge_settings.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "support/failing_file_system.h"
#include "support/fake_front_end.h"
#include "support/temp_tree.h"
#include "tags/text_encoding.h"

namespace brambex {
namespace {

using testing::FakeFrontEnd;
using testing::MessageAt;
using testing::Native;
using testing::OnlyMessage;
using testing::TempTree;
using Names = std::vector<std::string>;

TEST(SplitAlbumTitle, GivesEachFolderItsOwnNumber) {
    struct Case {
        const char* title;
        int folder;
        const char* result;
    };
    const Case cases[] = {
        {"Opera_7", 1, "Opera_1"},
        {"Opera_7", 2, "Opera_2"},
        {"Opera_12", 1, "Opera_1"},
        {"Opera_12", 2, "Opera_2"},
        {"Opera_123", 1, "Opera_123_1"},
        {"Opera_123", 2, "Opera_123_2"},
        {"Moby Dick", 1, "Moby Dick_1"},
        {"Moby Dick_1", 2, "Moby Dick_2"},
        {"Opera_", 3, "Opera__3"},
        {"Opera_x7", 1, "Opera_x7_1"},
        {"_5", 1, "_1"},
        {"_12", 4, "_4"},
        {"5", 1, "5_1"},
        {"", 1, "_1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitAlbumTitle(c.title, c.folder), c.result) << c.title << " / " << c.folder;
}

TEST(SplitOutput, ConfirmedTitleAndTrackCountDecideTheSplit) {
    struct Case {
        const char* title;
        int tracks;
        const char* folder;
        bool split;
        bool forCount;  // the user is told
    };
    const Case cases[] = {
        {"Dune_1", 10, "Dune", true, false},     {"Live_2012", 10, "Live", true, false},
        {"Opera_2", 300, "Opera", true, false},  {"Best_of", 254, "Best_of", false, false},
        {"Best_of", 255, "Best_of", true, true}, {"Plain", 254, "Plain", false, false},
        {"Plain_", 255, "Plain_", true, true},
    };
    for (const Case& c : cases) {
        const OutputSplit split = SplitOutput(c.title, c.tracks);
        EXPECT_EQ(split.outputFolder, c.folder) << c.title;
        EXPECT_EQ(split.splitFolders, c.split) << c.title;
        EXPECT_EQ(split.splitForCount, c.forCount) << c.title;
    }
}

TEST(SplitAlbumTitle, LongTitleKeepsItsFolderNumber) {
    std::string title;
    for (int i = 0; i < 511; ++i)
        title += "\xC3\xA9";  // 511 two-byte characters
    std::string result = SplitAlbumTitle(title, 12);
    EXPECT_EQ(CountUtf8Chars(result), MaxSettingsText);
    EXPECT_TRUE(result.ends_with("\xC3\xA9_12"));
}

class OutputFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        run.setFolder = tree.Root();
        run.outputFolder = "Moby Dick";
        run.folderNumber = 1;
    }

    // An output folder of an earlier merge: tracks, pictures, the user's own files.
    void MakeEarlierOutput(const std::string& folder) {
        tree.File(folder + "/merged");
        tree.File(folder + "/01 1-1 A.mp3", "a");
        tree.File(folder + "/02 1-2 B.MP3", "b");
        tree.File(folder + "/Folder.jpg", "j");
        tree.File(folder + "/cover.jpeg", "j");
        tree.File(folder + "/playlist.m3u", "p");
        tree.File(folder + "/Scans/back.jpg", "s");
        tree.Folder(folder + "/Extras.mp3");  // a sub-folder stays, whatever its name
    }
    // The question for an earlier output made by MakeEarlierOutput: the tracks and
    // pictures it holds are what emptying deletes.
    std::string AlreadyExists(const std::string& folder) const {
        return "The output folder \"" + folder +
               "\" holds 2 tracks and 2 pictures of an earlier merge.\nEmpty it and merge again?";
    }

    TempTree tree;
    FakeFrontEnd ui;
    MergeRun run;
    // The confirmed title, whose album titles the folders' tracks carry.
    std::string title = "Moby Dick";
    testing::FailingFileSystem files;
};

TEST_F(OutputFolderTest, FirstMergeCreatesTheFolderAndItsKeyFile) {
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(run.currentFolder, "Moby Dick");
    EXPECT_EQ(FolderAlbumTitle(title, run.splitFolders, run.folderNumber), "Moby Dick");
    EXPECT_EQ(tree.List("Moby Dick"), (Names{".brambex-incomplete", "merged"}));
    EXPECT_EQ(std::filesystem::file_size(tree.Path("Moby Dick/merged")), 0u);
}

TEST_F(OutputFolderTest, SplitFoldersAreNumbered) {
    run.splitFolders = true;
    title = "Moby Dick_7";
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));
    EXPECT_EQ(run.currentFolder, "Moby Dick_1");
    EXPECT_EQ(FolderAlbumTitle(title, run.splitFolders, run.folderNumber), "Moby Dick_1");
    run.folderNumber = 2;
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));
    EXPECT_EQ(run.currentFolder, "Moby Dick_2");
    EXPECT_EQ(FolderAlbumTitle(title, run.splitFolders, run.folderNumber), "Moby Dick_2");
    EXPECT_TRUE(tree.Exists("Moby Dick_1/merged"));
    EXPECT_TRUE(tree.Exists("Moby Dick_2/merged"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OutputFolderTest, RemergeAfterYesClearsTracksAndPicturesOnly) {
    MakeEarlierOutput("Moby Dick");
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));
    EXPECT_TRUE(
        OnlyMessage(ui, AlreadyExists("Moby Dick"), "Empty earlier merge?", MessageKind::Question));
    EXPECT_EQ(tree.List("Moby Dick"),
              (Names{".brambex-incomplete", "Extras.mp3", "Scans", "merged", "playlist.m3u"}));
    EXPECT_EQ(tree.Read("Moby Dick/merged"), "");
    EXPECT_TRUE(tree.Exists("Moby Dick/Scans/back.jpg"));
}

TEST_F(OutputFolderTest, RemergeEmptiesAnEarlierM4bBookToo) {
    tree.File("Moby Dick/merged");
    tree.File("Moby Dick/Moby Dick.m4b", "b");
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));
    EXPECT_EQ(ui.messages.at(0).text,
              "The output folder \"Moby Dick\" holds 1 M4B book of an earlier merge.\nEmpty it "
              "and merge again?");
    EXPECT_EQ(tree.List("Moby Dick"), (Names{".brambex-incomplete", "merged"}));
}

TEST_F(OutputFolderTest, RemergeAfterNoTouchesNothing) {
    MakeEarlierOutput("Moby Dick");
    Names before = tree.List("Moby Dick");
    ui.answers = {Answer::No};
    EXPECT_FALSE(PrepareOutputFolder(files, run, ui));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, AlreadyExists("Moby Dick"));
    EXPECT_TRUE(MessageAt(ui, 1, "Skipping this merge.", NoCaption, MessageKind::Information));
    EXPECT_EQ(tree.List("Moby Dick"), before);
}

TEST_F(OutputFolderTest, LaterSplitFolderIsClearedWithoutAsking) {
    run.splitFolders = true;
    MakeEarlierOutput("Moby Dick_2");
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));  // folder 1 is new
    run.folderNumber = 2;
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(tree.List("Moby Dick_2"),
              (Names{".brambex-incomplete", "Extras.mp3", "Scans", "merged", "playlist.m3u"}));
}

TEST_F(OutputFolderTest, SplitRemergeAsksForTheFirstFolderOnly) {
    run.splitFolders = true;
    MakeEarlierOutput("Moby Dick_1");
    MakeEarlierOutput("Moby Dick_2");
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));
    run.folderNumber = 2;
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));
    EXPECT_EQ(ui.MessageTexts(), Names{AlreadyExists("Moby Dick_1")});
    EXPECT_FALSE(tree.Exists("Moby Dick_2/01 1-1 A.mp3"));
}

TEST_F(OutputFolderTest, EarlierOutputSpeltDecomposedIsTheTitlesFolder) {
    const std::string decomposed = "Cafe\xCC\x81_1";
    MakeEarlierOutput(decomposed);
    run.outputFolder = "Caf\xC3\xA9";
    run.splitFolders = true;
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));
    EXPECT_EQ(ui.MessageTexts(), Names{AlreadyExists(decomposed)});
    EXPECT_EQ(run.currentFolder, decomposed);
    EXPECT_EQ(run.FolderName(1), decomposed);
    EXPECT_EQ(FolderAlbumTitle(title, run.splitFolders, run.folderNumber), "Moby Dick_1");
    EXPECT_FALSE(tree.Exists(decomposed + "/01 1-1 A.mp3"));
    EXPECT_EQ(tree.List().size(), 1u);
}

TEST_F(OutputFolderTest, UsersOwnFolderIsAConflict) {
    tree.File("Moby Dick/01 Mine.mp3");
    tree.File("Moby Dick 2");  // a plain file of that name conflicts too
    EXPECT_FALSE(PrepareOutputFolder(files, run, ui));
    run.outputFolder = "Moby Dick 2";
    EXPECT_FALSE(PrepareOutputFolder(files, run, ui));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_TRUE(MessageAt(ui, 0,
                          "The output folder \"Moby Dick\" conflicts with an existing\nfolder. "
                          "Please select a different title for this collection.",
                          "Error", MessageKind::Warning));
    EXPECT_TRUE(ui.messages[1].text.starts_with("The output folder \"Moby Dick 2\" conflicts"));
    EXPECT_EQ(tree.List("Moby Dick"), Names{"01 Mine.mp3"});
}

TEST_F(OutputFolderTest, DotTitlesNeverEmptyTheSetsOwnFolders) {
    // The folder that holds the discs and its parent, both looking like earlier output.
    MakeEarlierOutput("Rips");
    tree.File("merged");
    tree.File("Top.mp3", "t");
    run.setFolder = tree.Path("Rips");
    Names rips = tree.List("Rips");
    Names top = tree.List();
    for (const char* title : {".", ".."}) {
        ui.messages.clear();
        ui.answers = {Answer::Yes};
        run.outputFolder = title;
        EXPECT_FALSE(PrepareOutputFolder(files, run, ui)) << title;
        ASSERT_EQ(ui.messages.size(), 1u) << title;
        EXPECT_EQ(ui.messages[0].text, "The output folder \"" + std::string(title) +
                                           "\" conflicts with an existing\nfolder. Please select "
                                           "a different title for this collection.");
        EXPECT_EQ(ui.messages[0].style, MessageKind::Warning);
    }
    EXPECT_EQ(tree.List("Rips"), rips);
    EXPECT_EQ(tree.List(), top);
}

TEST_F(OutputFolderTest, OtherCreationFailureShowsTheFolderName) {
    run.outputFolder = "Missing/Moby Dick";
    EXPECT_FALSE(PrepareOutputFolder(files, run, ui));
    EXPECT_TRUE(OnlyMessage(ui,
                            "The output folder \"Missing/Moby Dick\" cannot be created (No such "
                            "file or directory)",
                            "Error", MessageKind::Notice));
}

TEST_F(OutputFolderTest, FolderThatCannotBeCreated) {
    tree.Folder("Locked");
    testing::RunUnprivileged(tree, [&] {
        tree.SetMode("Locked",
                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        run.outputFolder = "Locked/Moby Dick";
        EXPECT_FALSE(PrepareOutputFolder(files, run, ui));
        EXPECT_TRUE(OnlyMessage(ui,
                                "The output folder \"Locked/Moby Dick\" cannot be created. Check "
                                "to see whether you\nhave write permission on this drive. "
                                "(Permission denied)",
                                "Error", MessageKind::Error));
    });
}

std::string CannotDelete(const std::string& path) {
    return "The file \"" + path +
           "\"\ncould not be deleted. Check to make sure\nyou have permission to delete "
           "files on this drive. (Permission denied)";
}

TEST_F(OutputFolderTest, FileThatCannotBeDeletedEndsTheClear) {
    MakeEarlierOutput("Moby Dick");
    files.deleteFails = [&](const std::string& path) {
        return path == tree.Path("Moby Dick/02 1-2 B.MP3");
    };
    ui.answers = {Answer::Yes};
    EXPECT_FALSE(PrepareOutputFolder(files, run, ui));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_TRUE(MessageAt(ui, 1, CannotDelete(Native("Moby Dick/02 1-2 B.MP3")), "Error",
                          MessageKind::Error));
    // What was deleted before stays deleted; the pictures were not reached; the key file
    // stays, so the next merge takes the emptying up again, and the folder reads as
    // unfinished.
    EXPECT_EQ(tree.List("Moby Dick"),
              (Names{".brambex-incomplete", "02 1-2 B.MP3", "Extras.mp3", "Folder.jpg", "Scans",
                     "cover.jpeg", "merged", "playlist.m3u"}));
    files.deleteFails = nullptr;
    ui.messages.clear();
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));
    EXPECT_EQ(tree.List("Moby Dick"),
              (Names{".brambex-incomplete", "Extras.mp3", "Scans", "merged", "playlist.m3u"}));
}

TEST_F(OutputFolderTest, FolderWithoutWritePermissionCannotBeCleared) {
    MakeEarlierOutput("Moby Dick");
    testing::RunUnprivileged(tree, [&] {
        tree.SetMode("Moby Dick",
                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        ui.answers = {Answer::Yes};
        EXPECT_FALSE(PrepareOutputFolder(files, run, ui));
        ASSERT_EQ(ui.messages.size(), 2u);
        // The folder cannot be marked as being merged, so nothing of it is deleted.
        EXPECT_EQ(ui.messages[1].text,
                  "The file \"Moby Dick/.brambex-incomplete\"\ncould not be created. Check to "
                  "make sure\nyou have permission to write files on this drive. (Permission "
                  "denied)");
        EXPECT_TRUE(tree.Exists("Moby Dick/01 1-1 A.mp3"));
        EXPECT_TRUE(tree.Exists("Moby Dick/Folder.jpg"));
    });
}

TEST_F(OutputFolderTest, FolderThatCannotBeReadStopsTheMergeUntouched) {
    MakeEarlierOutput("Moby Dick");
    // Listed, it would hold no tracks: none would be deleted, and the old ones would
    // stay among the new.
    files.listingFails = [&](const std::string& pattern) {
        return pattern.starts_with(tree.Path("Moby Dick"));
    };
    ui.answers = {Answer::Yes};
    EXPECT_FALSE(PrepareOutputFolder(files, run, ui));
    EXPECT_TRUE(OnlyMessage(ui,
                            "The output folder \"Moby Dick\" cannot be read (Permission denied)",
                            "Error", MessageKind::Error));
    EXPECT_FALSE(tree.Exists("Moby Dick/.brambex-incomplete"));
    EXPECT_TRUE(tree.Exists("Moby Dick/01 1-1 A.mp3"));
    // Emptying it stops there too, whoever asks.
    ui.messages.clear();
    EXPECT_FALSE(ClearOutputFolder(files, run, ui, "Moby Dick"));
    EXPECT_TRUE(OnlyMessage(ui,
                            "The output folder \"Moby Dick\" cannot be read (Permission denied)",
                            "Error", MessageKind::Error));
}

TEST_F(OutputFolderTest, UnfinishedMergeIsSaidSoAndStaysMarkedUntilTheMergeEnds) {
    MakeEarlierOutput("Moby Dick");
    tree.File("Moby Dick/.brambex-incomplete");
    EXPECT_TRUE(HoldsUnfinishedMerge(files, tree.Path("Moby Dick")));
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("\"Moby Dick\" holds"), std::string::npos);
    EXPECT_NE(ui.messages[0].text.find("did not finish"), std::string::npos);
    EXPECT_TRUE(HoldsUnfinishedMerge(files, tree.Path("Moby Dick")));

    // Ended: the marker goes, one already gone is no failure; one that cannot go is.
    tree.Folder("Moby Dick_2");
    ASSERT_TRUE(MarkMergeFinished(files, run, ui, {"Moby Dick", "Moby Dick_2"}));
    EXPECT_EQ(tree.List("Moby Dick"), (Names{"Extras.mp3", "Scans", "merged", "playlist.m3u"}));
    tree.File("Moby Dick/.brambex-incomplete");
    files.deleteFails = [](const std::string&) { return true; };
    ui.messages.clear();
    EXPECT_FALSE(MarkMergeFinished(files, run, ui, {"Moby Dick"}));
    EXPECT_TRUE(OnlyMessage(ui, CannotDelete(Native("Moby Dick/.brambex-incomplete")), "Error",
                            MessageKind::Error));
}

TEST_F(OutputFolderTest, OnlyAnEmptyFileNamedMergedMarksAnOutputFolder) {
    std::vector<std::pair<const char*, std::function<void(const std::string&)>>> keys = {
        {"folder", [&](const std::string& key) { tree.File(key + "/inside"); }},
        {"notes", [&](const std::string& key) { tree.File(key, "my notes"); }},
    };
#ifndef _WIN32
    keys.push_back({"dangling link",
                    [&](const std::string& key) { symlink("nowhere", tree.Path(key).c_str()); }});
    keys.push_back({"link to an empty file", [&](const std::string& key) {
                        tree.File("empty");
                        symlink(tree.Path("empty").c_str(), tree.Path(key).c_str());
                    }});
#endif
    for (const auto& [kind, make] : keys) {
        std::filesystem::remove_all(tree.Path("Moby Dick"));
        tree.File("Moby Dick/01 Mine.mp3", "mine");
        tree.File("Moby Dick/cover.jpg", "mine");
        make("Moby Dick/merged");
        ui.messages.clear();
        ui.answers = {Answer::Yes};
        EXPECT_FALSE(PrepareOutputFolder(files, run, ui)) << kind;
        EXPECT_TRUE(OnlyMessage(ui,
                                "The output folder \"Moby Dick\" conflicts with an existing\n"
                                "folder. Please select a different title for this collection.",
                                "Error", MessageKind::Warning))
            << kind;
        EXPECT_EQ(tree.List("Moby Dick"), (Names{"01 Mine.mp3", "cover.jpg", "merged"})) << kind;
    }
}

TEST_F(OutputFolderTest, TemporaryFileReplacesWhatLiesUnderItsNameWithoutWritingThrough) {
    std::vector<std::pair<const char*, std::function<void(const std::string&)>>> leftovers = {
        {"nothing", [](const std::string&) {}},
        {"a leftover", [&](const std::string& path) { tree.File(path, "old"); }},
    };
#ifndef _WIN32
    leftovers.push_back({"a link", [&](const std::string& path) {
                             tree.File("target", "theirs");
                             symlink(tree.Path("target").c_str(), tree.Path(path).c_str());
                         }});
#endif
    for (const auto& [kind, make] : leftovers) {
        const std::string name = "out/" + TemporaryFileName();
        tree.Folder("out");
        make(name);
        OutputFile out;
        ASSERT_TRUE(CreateTemporaryFile(files, out, tree.Path(name))) << kind;
        out.Write("new", 3);
        ASSERT_TRUE(out.Close()) << kind;
        EXPECT_EQ(tree.Read(name), "new") << kind;
        EXPECT_FALSE(std::filesystem::is_symlink(tree.Path(name))) << kind;
    }
    if (tree.Exists("target")) {
        EXPECT_EQ(tree.Read("target"), "theirs");
    }
    // Another failure is the caller's, with its reason.
    OutputFile out;
    EXPECT_FALSE(CreateTemporaryFile(files, out, tree.Path("missing/" + TemporaryFileName())));
    EXPECT_EQ(out.Error(), std::errc::no_such_file_or_directory);
}

TEST_F(OutputFolderTest, KeyFileThatCannotBeMadeTakesTheNewFolderAway) {
    testing::RunUnprivileged(tree, [&] {
        // The folder is made without write permission for anyone, so its key file cannot be.
        mode_t saved = umask(0277);
        EXPECT_FALSE(PrepareOutputFolder(files, run, ui));
        umask(saved);
        EXPECT_TRUE(OnlyMessage(ui,
                                "The output folder \"Moby Dick\" cannot be marked as this "
                                "program's: its files\ncannot be created (Permission denied)",
                                "Error", MessageKind::Error));
        EXPECT_FALSE(tree.Exists("Moby Dick"));
    });
}

TEST_F(OutputFolderTest, SecondMergeOfAFolderStopsWithNothingChanged) {
    // The first merge holds its folder for as long as it runs.
    platform::FolderLock first;
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui, &first));
    tree.File("Moby Dick/01 1-1 A.mp3", "a");
    for (int folderNumber : {1, 2}) {
        ui.messages.clear();
        ui.answers = {Answer::Yes};
        run.folderNumber = folderNumber;
        EXPECT_FALSE(PrepareOutputFolder(files, run, ui)) << folderNumber;
        EXPECT_TRUE(OnlyMessage(ui, "Another merge is writing to \"Moby Dick\".", "Error",
                                MessageKind::Error));
        EXPECT_EQ(tree.List("Moby Dick"), (Names{".brambex-incomplete", "01 1-1 A.mp3", "merged"}));
    }
    // Once it has ended, the folder is an earlier output like any other.
    first.Unlock();
    ui.messages.clear();
    ui.answers = {Answer::Yes};
    run.folderNumber = 1;
    EXPECT_TRUE(PrepareOutputFolder(files, run, ui));
    EXPECT_EQ(tree.List("Moby Dick"), (Names{".brambex-incomplete", "merged"}));
}

TEST_F(OutputFolderTest, ALockRefusedStopsBeforeAnythingIsWrittenUnlessLocksAreUnsupported) {
    using Result = platform::FolderLock::Result;
    const struct {
        const char* what;
        bool earlier;  // the folder holds an earlier merge
        Result result;
        int reason;
    } cases[] = {
        {"a new folder", false, Result::Failed, EACCES},
        {"an earlier merge", true, Result::Failed, EACCES},
        {"a new folder without locks", false, Result::Unsupported, ENOLCK},
        {"an earlier merge without locks", true, Result::Unsupported, ENOLCK},
    };
    files.lockFails = [&](const std::string& folder) { return folder == tree.Path("Moby Dick"); };
    for (const auto& c : cases) {
        std::filesystem::remove_all(tree.Path("Moby Dick"));
        if (c.earlier)
            MakeEarlierOutput("Moby Dick");
        const Names before = c.earlier ? tree.List("Moby Dick") : Names{};
        ui.messages.clear();
        ui.answers = {Answer::Yes};
        files.lockFailure = {c.result, platform::SystemError(c.reason)};
        if (c.result == Result::Unsupported) {
            EXPECT_TRUE(PrepareOutputFolder(files, run, ui)) << c.what;
            EXPECT_TRUE(tree.Exists("Moby Dick/.brambex-incomplete")) << c.what;
            continue;
        }
        EXPECT_FALSE(PrepareOutputFolder(files, run, ui)) << c.what;
        EXPECT_TRUE(OnlyMessage(ui,
                                "The output folder \"Moby Dick\" cannot be locked against other "
                                "merges (Permission denied)",
                                "Error", MessageKind::Error))
            << c.what;
        EXPECT_EQ(tree.Exists("Moby Dick"), c.earlier) << c.what;
        if (c.earlier) {
            EXPECT_EQ(tree.List("Moby Dick"), before) << c.what;
        }
    }
}

TEST_F(OutputFolderTest, LeftoversOfKilledMergesAreRemovedByTheNext) {
    MakeEarlierOutput("Moby Dick");
    tree.File("Moby Dick/.brambex-1f2e-3d4c.part", "half a track");
    tree.File("Moby Dick/.brambex-track.part", "half a track of an older version");
    tree.File("Moby Dick/.hidden-notes", "the user's");
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(PrepareOutputFolder(files, run, ui));
    EXPECT_EQ(tree.List("Moby Dick"), (Names{".brambex-incomplete", ".hidden-notes", "Extras.mp3",
                                             "Scans", "merged", "playlist.m3u"}));
}

TEST_F(OutputFolderTest, DeleteMatchingPassesOverFailuresWhenNotReporting) {
    tree.File("Out/a.mp3");
    tree.File("Out/b.mp3");
    tree.Folder("Out/c.mp3");
    files.deleteFails = [&](const std::string& path) { return path == tree.Path("Out/a.mp3"); };
    EXPECT_TRUE(DeleteMatching(files, run, ui, "Out", "/*.mp3", false));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(tree.List("Out"), (Names{"a.mp3", "c.mp3"}));
    EXPECT_TRUE(DeleteMatching(files, run, ui, "Missing", "/*.mp3", true));
}

}  // namespace
}  // namespace brambex
