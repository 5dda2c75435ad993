#include "engine/cover_art.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <random>

#include "engine/disc_set.h"
#include "platform/file_system.h"
#include "support/failing_file_system.h"
#include "support/fake_front_end.h"
#include "support/file_size_limit.h"
#include "support/temp_tree.h"

namespace brambex {
namespace {

using testing::FakeFrontEnd;
using testing::Native;
using testing::OnlyMessage;
using testing::TempTree;
using Names = std::vector<std::string>;

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

class CoverArtTest : public ::testing::Test {
  protected:
    void SetUp() override {
        run.setFolder = tree.Root();
        tree.File("Out/merged");
        run.currentFolder = "Out";
    }

    // The disc folder's pictures as the scan lists them.
    Names Pictures(const std::string& disc) {
        for (const DiscFolder& scanned : ReadDiscSet(files, tree.Path(disc)).scanned)
            if (scanned.name == disc)
                return scanned.pictures;
        return {};
    }

    TempTree tree;
    FakeFrontEnd ui;
    testing::FailingFileSystem files;
    MergeRun run;
};

TEST_F(CoverArtTest, CopiesEveryJpgByteForByte) {
    // Sizes around the copy's block size catch a lost or repeated last block.
    // A name as long as a name may be must fit as the copy's name too.
    const std::string longest = std::string(251, 'L') + ".jpg";
    const std::pair<std::string, std::size_t> pictures[] = {
        {"AlbumArtSmall.jpg", 0}, {"Back.jpg", 4095}, {"Folder.jpg", 4096}, {"Inlay.JPG", 4097},
        {"Large.jpg", 12288},     {"Odd.jpg", 70001}, {longest, 5},
    };
    unsigned seed = 1;
    for (auto [name, size] : pictures)
        tree.File("Disc 1/" + name, RandomBytes(size, seed++));
    tree.File("Disc 1/cover.jpeg", "not copied");
    tree.File("Disc 1/01 A.mp3", "not copied");
    tree.Folder("Disc 1/Scans.jpg");

    CopyCoverArt(files, run, ui, "Disc 1", Pictures("Disc 1"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(tree.List("Out"), (Names{"AlbumArtSmall.jpg", "Back.jpg", "Folder.jpg", "Inlay.JPG",
                                       longest, "Large.jpg", "Odd.jpg", "merged"}));
    for (const auto& [name, size] : pictures) {
        EXPECT_EQ(tree.Read("Out/" + name), tree.Read("Disc 1/" + name)) << name;
        EXPECT_EQ(std::filesystem::file_size(tree.Path("Out/" + name)), size);
    }
}

TEST_F(CoverArtTest, ReplacesAPictureOfTheSameName) {
    tree.File("Disc 2/Folder.jpg", "disc two");
    tree.File("Out/Folder.jpg", "disc one, a longer picture");
    tree.File("Out/.brambex-picture.part", "left over");
    CopyCoverArt(files, run, ui, "Disc 2", Pictures("Disc 2"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(tree.Read("Out/Folder.jpg"), "disc two");
    EXPECT_EQ(tree.List("Out"), (Names{"Folder.jpg", "merged"}));
}

TEST_F(CoverArtTest, DiscWithoutPicturesCopiesNothing) {
    tree.File("Disc 1/01 A.mp3");
    CopyCoverArt(files, run, ui, "Disc 1", Pictures("Disc 1"));
    CopyCoverArt(files, run, ui, "Missing", Pictures("Missing"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(tree.List("Out"), Names{"merged"});
}

// Links, pipes and file-size limits as these tests make them are POSIX's.
#ifndef _WIN32
TEST_F(CoverArtTest, UnreadablePictureStopsThisDiscsPictures) {
    // A link whose target is gone is found by the search but cannot be opened, also by
    // root; a pipe would wait for a writer forever (the alarm ends a test that hangs).
    const std::pair<const char*, int (*)(const char*, const char*)> kinds[] = {
        {"dangling link", [](const char* gone, const char* path) { return symlink(gone, path); }},
        {"pipe", [](const char*, const char* path) { return mkfifo(path, 0666); }},
    };
    tree.File("Disc 1/B.jpg", "b");
    alarm(60);
    for (const auto& [kind, make] : kinds) {
        ASSERT_EQ(make(tree.Path("gone.jpg").c_str(), tree.Path("Disc 1/A.jpg").c_str()), 0);
        ui.messages.clear();
        CopyCoverArt(files, run, ui, "Disc 1", Pictures("Disc 1"));
        EXPECT_TRUE(OnlyMessage(ui, "Could not open input file (not a regular file)",
                                "Disc 1/A.jpg", MessageKind::Notice))
            << kind;
        EXPECT_EQ(tree.List("Out"), Names{"merged"}) << kind;
        std::filesystem::remove(tree.Path("Disc 1/A.jpg"));
    }
    alarm(0);
}
#endif

TEST_F(CoverArtTest, OutputThatCannotBeOpened) {
    tree.File("Disc 1/Folder.jpg", "f");
    run.currentFolder = "Gone";
    CopyCoverArt(files, run, ui, "Disc 1", Pictures("Disc 1"));
    EXPECT_TRUE(OnlyMessage(ui, "Could not open output file (No such file or directory)",
                            Native("Gone/Folder.jpg"), MessageKind::Notice));
}

TEST_F(CoverArtTest, PictureThatCannotTakeItsNameIsRemovedAndReported) {
    tree.File("Disc 1/Folder.jpg", "the new picture");
    tree.File("Out/Folder.jpg", "the picture of an earlier merge");
    files.renameFails = [&](const std::string& to) { return to == tree.Path("Out/Folder.jpg"); };
    CopyCoverArt(files, run, ui, "Disc 1", Pictures("Disc 1"));
    EXPECT_TRUE(OnlyMessage(ui, "Could not write output file (Permission denied)",
                            Native("Out/Folder.jpg"), MessageKind::Notice));
    EXPECT_EQ(tree.List("Out"), (Names{"Folder.jpg", "merged"}));
    EXPECT_EQ(tree.Read("Out/Folder.jpg"), "the picture of an earlier merge");
}

#ifndef _WIN32
TEST_F(CoverArtTest, PictureCutShortIsRemovedAndReported) {
    tree.File("Disc 1/Big.jpg", RandomBytes(100000, 7));
    tree.File("Disc 1/Small.jpg", "s");
    tree.File("Out/Big.jpg", "the picture of an earlier merge");
    {
        testing::FileSizeLimit limit(20000);
        CopyCoverArt(files, run, ui, "Disc 1", Pictures("Disc 1"));
    }
    EXPECT_TRUE(OnlyMessage(ui, "Could not write output file (File too large)", "Out/Big.jpg",
                            MessageKind::Notice));
    // No half picture anywhere, the earlier one intact, and the rest not tried.
    EXPECT_EQ(tree.List("Out"), (Names{"Big.jpg", "merged"}));
    EXPECT_EQ(tree.Read("Out/Big.jpg"), "the picture of an earlier merge");
}
#endif

}  // namespace
}  // namespace brambex
