#include "platform/kept_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <system_error>
#include <vector>

#include "support/temp_tree.h"

namespace brambex::platform {
namespace {

using testing::TempTree;

std::string Names(const Listing& found) {
    std::string text;
    for (const FoundEntry& entry : found.entries)
        text += entry.name + (entry.isFolder ? "/ " : " ");
    return text;
}

// A name form that makes every "1" a "one", so that the test can tell it is used.
std::string OneAsWord(std::string_view name) {
    std::string formed;
    for (char c : name)
        formed += c == '1' ? std::string("one") : std::string(1, c);
    return formed;
}

TEST(KeptListing, AnswersAsTheFolderWasWhenItWasTaken) {
    TempTree tree;
    for (const char* name : {"Set/Opera 01", "Set/opera 02", "Set/Opera 1 extra", "Set/Other"})
        tree.Folder(name);
    FileSystem& system = SystemFiles();
    const char* patterns[] = {"OPERA*", "Opera* 0*", "*", "other", "*1", "X*", "Opera 03"};
    std::vector<std::string> fresh;
    for (const char* pattern : patterns)
        fresh.push_back(Names(system.ListMatching(tree.Path("Set/") + pattern, nullptr)));
    KeptListing kept(system, tree.Path("Set"));
    tree.Folder("Set/Opera 03");
    for (std::size_t i = 0; i < std::size(patterns); ++i)
        EXPECT_EQ(Names(kept.ListMatching(tree.Path("Set/") + patterns[i], nullptr)), fresh[i])
            << patterns[i];
    // Other folders, and its own in another name form, are searched on the disk.
    EXPECT_EQ(kept.ListMatching(tree.Path("Set/Opera 01/*"), nullptr).entries.size(), 0u);
    EXPECT_EQ(kept.ListMatching(tree.Path("Missing/*"), nullptr).error,
              std::errc::no_such_file_or_directory);
    EXPECT_EQ(Names(kept.ListMatching(tree.Path("Set/Opera 0*"), OneAsWord)),
              "Opera 01/ Opera 03/ opera 02/ ");
    EXPECT_TRUE(kept.PathExists(tree.Path("Set/Opera 03")));
}

TEST(KeptListing, InItsNameFormMatchesTheFormedNames) {
    TempTree tree;
    for (const char* name : {"Set/Opera 01", "Set/Opera 02"})
        tree.Folder(name);
    KeptListing kept(SystemFiles(), tree.Path("Set"), OneAsWord);
    EXPECT_EQ(Names(kept.ListMatching(tree.Path("Set/*0one"), OneAsWord)), "Opera 01/ ");
    EXPECT_EQ(Names(kept.ListMatching(tree.Path("Set/*01"), OneAsWord)), "Opera 01/ ");
    EXPECT_EQ(Names(kept.ListMatching(tree.Path("Set/*0one"), nullptr)), "");
}

TEST(KeptListing, KeepsWhyItsFolderCouldNotBeRead) {
    TempTree tree;
    KeptListing kept(SystemFiles(), tree.Path("Missing"));
    tree.Folder("Missing/Opera 01");
    EXPECT_EQ(kept.ListMatching(tree.Path("Missing/*"), nullptr).error,
              std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace brambex::platform
