#include "platform/file_system.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "support/temp_tree.h"

namespace brambex::platform {
namespace {

using testing::TempTree;

TEST(MatchesWildcard, FollowsTheSearchRules) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"Moby Dick Disc*", "Moby Dick Disc 1", true},
        {"Moby Dick Disc*", "Moby Dick Disc", true},  // "*" takes the empty run
        {"Moby Dick Disc*", "Moby Dick Dis", false},
        {"moby dick DISC*", "Moby Dick Disc 2", true},  // letters without regard to case
        {"*.mp3", "01 Intro.MP3", true},
        {"*.mp3", "01 Intro.mp3.txt", false},
        {"*.mp3", ".mp3", true},
        {"Moby Dick Disc* 2", "Moby Dick Disc 2", true},
        {"Moby Dick Disc* 2", "Moby Dick Disc 12", false},
        {"Moby Dick Disc* 2", "Moby Dick Disc 02", false},
        {"Moby Dick Disc* 2", "Moby Dick Disc - bonus 2", true},
        {"Opera* 01", "Opera 01", true},
        {"07*.mp3", "07 Seven.mp3", true},
        {"10*.mp3", "104 Late.mp3", true},
        {"*a*b*", "xxaxxbxx", true},
        {"*a*b", "ab ab a", false},
        {"*", "", true},
        {"", "", true},
        {"", "x", false},
        {"?", "x", false},  // only "*" is a wildcard
        {"\xC3\x89t\xC3\xA9", "\xC3\x89t\xC3\xA9", true},
        {"\xC3\xA9", "\xC3\x89", false},  // non-ASCII letters compare exactly
        {"merged", "MERGED", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches)
            << "pattern \"" << c.pattern << "\" name \"" << c.name << "\"";
    }
}

TEST(FindMatching, ReportsFilesAndFoldersSortedByName) {
    TempTree tree;
    tree.Folder("Set/Opera 02");
    tree.Folder("Set/Opera 01");
    tree.File("Set/Opera notes.txt");
    tree.File("Set/Other");
#ifndef _WIN32
    std::filesystem::create_directory_symlink(tree.Path("Set/Opera 01"), tree.Path("Set/Opera L"));
#else
    tree.Folder("Set/Opera L");
#endif

    auto found = FindMatching(tree.Path("Set/OPERA*"));
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].name, "Opera 01");
    EXPECT_TRUE(found[0].isFolder);
    EXPECT_EQ(found[1].name, "Opera 02");
    EXPECT_EQ(found[2].name, "Opera L");
    EXPECT_TRUE(found[2].isFolder);  // a link to a folder is a folder
    EXPECT_EQ(found[3].name, "Opera notes.txt");
    EXPECT_FALSE(found[3].isFolder);
}

TEST(FindMatching, NeverReportsDotEntries) {
    TempTree tree;
    tree.File("Set/.hidden");
    auto found = FindMatching(tree.Path("Set/*"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, ".hidden");
}

TEST(FindMatching, EmptyWhenNothingMatchesOrTheFolderIsMissing) {
    TempTree tree;
    tree.File("Set/a.txt");
    EXPECT_TRUE(FindMatching(tree.Path("Set/*.mp3")).empty());
    EXPECT_TRUE(FindMatching(tree.Path("Missing/*")).empty());
    EXPECT_TRUE(FindMatching(tree.Path("Set/a.txt/*")).empty());
    // Only ListMatching tells a folder without a match from one that cannot be read.
    EXPECT_FALSE(ListMatching(tree.Path("Set/*.mp3")).error);
    EXPECT_EQ(ListMatching(tree.Path("Missing/*")).error, std::errc::no_such_file_or_directory);
    EXPECT_TRUE(ListMatching(tree.Path("Set/a.txt/*")).error);
}

// On POSIX a backslash is part of a name: "AC\\DC Live Disc 1" is one folder. Windows
// takes both (file_system_win32_test.cpp).
#ifndef _WIN32
TEST(FindMatching, SplitsOnlyAtSlash) {
    TempTree tree;
    tree.File("Set/01 A.mp3");
    tree.File("Set/AC\\DC.mp3");
    auto found = FindMatching(tree.Path("Set") + "/*.mp3");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].name, "01 A.mp3");
    EXPECT_EQ(found[1].name, "AC\\DC.mp3");
    EXPECT_TRUE(FindMatching(tree.Path("Set") + "\\*.mp3").empty());
    EXPECT_EQ(FindMatching(tree.Path("Set/AC\\D*")).size(), 1u);
    // Without a separator the current folder is searched (TempTree puts it back).
    std::filesystem::current_path(tree.Path("Set"));
    EXPECT_EQ(FindMatching("0*.mp3").size(), 1u);
}
#endif

TEST(FindMatching, UnreadableFolderGivesNothing) {
    TempTree tree;
    tree.File("Set/01 A.mp3");
    testing::RunUnprivileged(tree, [&] {
        tree.SetMode("Set", std::filesystem::perms::owner_write);
        EXPECT_TRUE(FindMatching(tree.Path("Set/*")).empty());
    });
}

TEST(MakeFolder, TellsCreatedExistsAndOtherFailures) {
    TempTree tree;
    EXPECT_EQ(MakeFolder(tree.Path("New")).result, MakeFolderResult::Created);
    EXPECT_TRUE(std::filesystem::is_directory(tree.Path("New")));
    EXPECT_EQ(MakeFolder(tree.Path("New")).result, MakeFolderResult::Exists);
    tree.File("Plain");
    EXPECT_EQ(MakeFolder(tree.Path("Plain")).result, MakeFolderResult::Exists);
    const MadeFolder missing = MakeFolder(tree.Path("Missing/New"));
    EXPECT_EQ(missing.result, MakeFolderResult::Failed);
    EXPECT_EQ(missing.error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(MakeFolder(tree.Path(std::string(300, 'x'))).result, MakeFolderResult::Failed);
}

TEST(MakeFolder, RefusedInAFolderWithoutWritePermission) {
    TempTree tree;
    tree.Folder("Locked");
    testing::RunUnprivileged(tree, [&] {
        tree.SetMode("Locked",
                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        const MadeFolder locked = MakeFolder(tree.Path("Locked/New"));
        EXPECT_EQ(locked.result, MakeFolderResult::Refused);
        EXPECT_EQ(locked.error, std::errc::permission_denied);
    });
}

// Links and pipes as these tests make them are POSIX's.
#ifndef _WIN32
TEST(PathExists, SeesFilesFoldersAndDanglingLinks) {
    TempTree tree;
    tree.File("f");
    tree.Folder("d");
    std::filesystem::create_symlink(tree.Path("gone"), tree.Path("link"));
    std::filesystem::create_symlink(tree.Path("f"), tree.Path("to-f"));
    ASSERT_EQ(mkfifo(tree.Path("pipe").c_str(), 0666), 0);
    // name, exists, reads as a file
    const std::tuple<const char*, bool, bool> cases[] = {
        {"f", true, true},          {"d", true, false},    {"link", true, false},
        {"to-f", true, true},       {"pipe", true, false}, {"gone", false, false},
        {"f/merged", false, false},
    };
    for (const auto& [name, exists, regular] : cases) {
        EXPECT_EQ(PathExists(tree.Path(name)), exists) << name;
        EXPECT_EQ(IsRegularFile(tree.Path(name)), regular) << name;
    }
}
#endif

TEST(FolderLock, KeepsOutASecondLockAndSaysWhyOneCannotBeTaken) {
    TempTree tree;
    tree.Folder("Out");
    FolderLock first;
    FolderLock second;
    ASSERT_EQ(first.Lock(tree.Path("Out")).result, FolderLock::Result::Locked);
    EXPECT_EQ(second.Lock(tree.Path("Out")).result, FolderLock::Result::Busy);
    EXPECT_FALSE(second.Held());
    const FolderLock::Locking missing = second.Lock(tree.Path("Missing"));
    EXPECT_EQ(missing.result, FolderLock::Result::Failed);
    EXPECT_EQ(missing.error, std::errc::no_such_file_or_directory);
}

TEST(CreateNewHiddenFile, MakesAnEmptyFileOnlyOnce) {
    TempTree tree;
    tree.Folder("Out");
    EXPECT_TRUE(CreateNewHiddenFile(tree.Path("Out/merged")));
    EXPECT_TRUE(tree.Exists("Out/merged"));
    EXPECT_EQ(std::filesystem::file_size(tree.Path("Out/merged")), 0u);
    EXPECT_EQ(CreateNewHiddenFile(tree.Path("Out/merged")).error, std::errc::file_exists);
    EXPECT_EQ(CreateNewHiddenFile(tree.Path("Missing/merged")).error,
              std::errc::no_such_file_or_directory);
}

TEST(Status, CarriesTheSystemsReason) {
    TempTree tree;
    tree.File("f");
    tree.File("d/inside");
    const std::tuple<const char*, Status, std::errc> cases[] = {
        {"a file is no folder", IsFolder(tree.Path("f")), std::errc::not_a_directory},
        {"a missing folder", IsFolder(tree.Path("gone")), std::errc::no_such_file_or_directory},
        {"a file cannot be entered", CanEnterFolder(tree.Path("f")), std::errc::not_a_directory},
        {"a missing file", DeleteFile(tree.Path("gone")), std::errc::no_such_file_or_directory},
        {"a missing source", RenameFile(tree.Path("gone"), tree.Path("g")),
         std::errc::no_such_file_or_directory},
        {"a missing folder", RemoveEmptyFolder(tree.Path("gone")),
         std::errc::no_such_file_or_directory},
    };
    for (const auto& [what, status, reason] : cases) {
        EXPECT_FALSE(status) << what;
        EXPECT_EQ(status.error, reason) << what;
    }
    EXPECT_TRUE(IsFolder(tree.Path("d")));
    EXPECT_TRUE(CanEnterFolder(tree.Path("d")));
    EXPECT_FALSE(RemoveEmptyFolder(tree.Path("d")));
    EXPECT_TRUE(tree.Exists("d/inside"));
}

}  // namespace
}  // namespace brambex::platform
