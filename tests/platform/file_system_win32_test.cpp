// What only the Windows file system has: the hidden attribute, drive letters and UNC
// paths, case-blind names beyond ASCII, names no ANSI code page can hold, and a
// volume's cluster size.
#include <windows.h>
#undef DeleteFile

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/native_file.h"
#include "platform/win32.h"
#include "support/temp_tree.h"

namespace brambex::platform {
namespace {

using testing::TempTree;

// Cyrillic, Greek and CJK in one name: no single ANSI code page holds all three.
const std::string Unicode = "\xD0\xA8\xD1\x82\xD0\xBE\xD1\x80\xD0\xBC \xCE\xA9 \xE6\x9D\xB1";

TEST(Win32FileSystem, KeyFileIsHidden) {
    TempTree tree;
    tree.Folder("Out");
    ASSERT_TRUE(CreateNewHiddenFile(tree.Path("Out/merged")));
    DWORD attributes = GetFileAttributesW(Widen(tree.Path("Out/merged")).c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_TRUE(IsEmptyRegularFile(tree.Path("Out/merged")));
    // Hidden is no obstacle to the checks and the clean-up of a later merge.
    EXPECT_EQ(CreateNewHiddenFile(tree.Path("Out/merged")).error, std::errc::file_exists);
    EXPECT_TRUE(DeleteFile(tree.Path("Out/merged")));
    EXPECT_FALSE(PathExists(tree.Path("Out/merged")));
}

TEST(Win32FileSystem, SearchIsCaseBlindBeyondAsciiAndTakesOnlyStarAsAWildcard) {
    TempTree tree;
    tree.Folder("Set/\xC3\x84rger Disc 1");  // "Ärger Disc 1"
    tree.Folder("Set/\xCE\xA9mega Disc 2");  // "Ωmega Disc 2"
    tree.File("Set/01 Intro.mp3x");          // its short name may end in ".MP3"
    tree.File("Set/02 Song.mp3");
    auto found = FindMatching(tree.Path("Set/\xC3\xA4RGER disc*"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "\xC3\x84rger Disc 1");
    EXPECT_TRUE(found[0].isFolder);
    EXPECT_EQ(FindMatching(tree.Path("Set/\xCF\x89MEGA*")).size(), 1u);  // "ωMEGA*"
    found = FindMatching(tree.Path("Set/*.mp3"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "02 Song.mp3");
    EXPECT_TRUE(FindMatching(tree.Path("Set/0? Song.mp3")).empty());
}

TEST(Win32FileSystem, NamesOutsideTheAnsiCodePage) {
    TempTree tree;
    const std::string folder = tree.Folder(Unicode + " Disc 1");
    EXPECT_EQ(MakeFolder(JoinPath(folder, Unicode)).result, MakeFolderResult::Created);
    const std::string file = JoinPath(folder, "01 " + Unicode + ".mp3");
    ASSERT_TRUE(CreateNewHiddenFile(file));
    EXPECT_TRUE(IsRegularFile(file));
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_TRUE(CanListFolder(folder));
    auto found = FindMatching(tree.Path(Unicode + "*"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, Unicode + " Disc 1");
    const std::string renamed = JoinPath(folder, "02 " + Unicode + ".mp3");
    ASSERT_TRUE(RenameFile(file, renamed));
    EXPECT_EQ(tree.List(Unicode + " Disc 1"),
              (std::vector<std::string>{"02 " + Unicode + ".mp3", Unicode}));
    EXPECT_TRUE(CanEnterFolder(folder));
    std::filesystem::current_path(testing::FsPath(folder));  // the tree puts it back
    EXPECT_EQ(CurrentFolder(), folder);
    EXPECT_EQ(AbsolutePath(Unicode), JoinPath(folder, Unicode));
}

TEST(Win32FileSystem, RenameReplacesTheTargetAndFailuresSayWhy) {
    TempTree tree;
    tree.File("a", "new");
    tree.File("b", "old");
    ASSERT_TRUE(RenameFile(tree.Path("a"), tree.Path("b")));
    EXPECT_EQ(tree.Read("b"), "new");
    const Status renamed = RenameFile(tree.Path("a"), tree.Path("c"));
    EXPECT_FALSE(renamed);
    EXPECT_EQ(renamed.error, std::errc::no_such_file_or_directory);
    const MadeFolder made = MakeFolder(tree.Path("Missing/New"));
    EXPECT_EQ(made.result, MakeFolderResult::Failed);
    EXPECT_EQ(made.error, std::errc::no_such_file_or_directory);
}

TEST(Win32FileSystem, DriveLetterAndUncPaths) {
    TempTree tree;
    tree.File("Set/Opera 01/01 A.mp3");
    // Both separators, ".." steps and a drive letter, resolved as the system does.
    const std::string root = tree.Root();
    ASSERT_EQ(root[1], ':');
    std::string forward = root + "/Set/Opera 01/../Opera 01/";
    std::replace(forward.begin(), forward.end(), '\\', '/');
    EXPECT_EQ(AbsolutePath(forward), tree.Path("Set/Opera 01") + "\\");
    EXPECT_EQ(FindMatching(forward + "*.MP3").size(), 1u);
    // The same folder through the extended-length prefix that long UNC paths use.
    EXPECT_EQ(FindMatching("\\\\?\\" + tree.Path("Set/Opera 01/*.mp3")).size(), 1u);
    EXPECT_EQ(AbsolutePath("\\\\server\\share\\Rips\\..\\Opera 01"), "\\\\server\\share\\Opera 01");
    // A folder beside the discs at the root of a drive: "C:" and a name join to "C:\\name".
    const std::string drive = root.substr(0, 2);
    EXPECT_TRUE(CanEnterFolder(JoinPath(drive, "")));
    EXPECT_EQ(JoinPath(drive, "Rips"), drive + "\\Rips");
    const Status entered = CanEnterFolder(tree.Path("Set/Opera 01/01 A.mp3"));
    EXPECT_FALSE(entered);
    EXPECT_EQ(entered.error, std::errc::not_a_directory);
}

TEST(Win32FileSystem, FolderLockKeepsOutASecondLockUnderAnyName) {
    TempTree tree;
    tree.Folder("Out");
    FolderLock first;
    ASSERT_EQ(first.Lock(tree.Path("Out")).result, FolderLock::Result::Locked);
    std::string other = tree.Path("Out") + "\\";
    std::replace(other.begin(), other.end(), '\\', '/');
    FolderLock second;
    EXPECT_EQ(second.Lock(other).result, FolderLock::Result::Busy);
    EXPECT_FALSE(second.Held());
    first.Unlock();
    EXPECT_EQ(second.Lock(other).result, FolderLock::Result::Locked);
    EXPECT_EQ(first.Lock(tree.Path("Missing")).result, FolderLock::Result::Failed);
}

// The block size a copy lines up with is the cluster size of the file's volume, found
// from the file alone, where the volume shares clusters, and 4096 bytes elsewhere.
TEST(Win32FileSystem, StorageIsTheClusterSizeOfAVolumeThatSharesClusters) {
    TempTree tree;
    std::error_code error;
    const native_file::Handle file = native_file::Create(tree.Path("out"), false, error);
    ASSERT_NE(file, native_file::None) << error.message();
    const native_file::Storage storage = native_file::StorageOf(file);
    EXPECT_TRUE(native_file::Close(file, error));
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    ASSERT_TRUE(GetDiskFreeSpaceW(Widen(tree.Root().substr(0, 3)).c_str(), &sectorsPerCluster,
                                  &bytesPerSector, &freeClusters, &clusters));
    const std::uint64_t cluster = std::uint64_t{sectorsPerCluster} * bytesPerSector;
    EXPECT_EQ(storage.blockSize, storage.sharesBlocks ? native_file::UsableBlockSize(cluster)
                                                      : native_file::DefaultBlockSize);
}

}  // namespace
}  // namespace brambex::platform
