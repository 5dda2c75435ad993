// The library list as its model decides it: each set's plan as its box stands, the
// summary, whether Merge can be pressed, and each merged set's row afterwards.
#include "app/library_model.h"

#include <gtest/gtest.h>

#include "support/tag_bytes.h"
#include "support/temp_tree.h"

namespace brambex {
namespace {

using State = LibrarySetResult::State;
using testing::TempTree;

// Two-track discs "<stem><n>" in the tree's root for the discs given.
void MakeDiscs(const TempTree& tree, const std::string& stem, std::initializer_list<int> discs) {
    const std::string track = testing::PaddedTag(testing::TextFrame("TALB", stem + "1"), 64) +
                              testing::FillerAudio(5000) + std::string(128, '\0');
    for (int disc : discs)
        for (const char* name : {"/01 T.mp3", "/02 T.mp3"})
            tree.File(stem + std::to_string(disc) + name, track);
}

// Alpha, Beta (disc 2 missing), Gamma (merged) and Delta (a merge that did not finish).
struct Shelf {
    TempTree tree;
    Shelf() {
        MakeDiscs(tree, "Alpha Disc ", {1, 2});
        MakeDiscs(tree, "Beta Disc ", {1, 3});
        MakeDiscs(tree, "Delta Disc ", {1, 2});
        tree.File("Delta_1/merged");
        tree.File("Delta_1/.brambex-incomplete");
        MakeDiscs(tree, "Gamma Disc ", {1, 2});
        tree.File("Gamma_1/merged");
    }
};

std::vector<std::string> Plans(const LibraryModel& model) {
    std::vector<std::string> plans;
    for (const LibraryRow& row : model.Rows())
        plans.push_back(row.whatHappens);
    return plans;
}

TEST(LibraryModel, EachSetTellsWhatBecomesOfItAsItsBoxStands) {
    Shelf shelf;
    LibraryModel model(shelf.tree.Root());
    ASSERT_EQ(model.Rows().size(), 4u);
    EXPECT_EQ(model.Rows()[0].discs, "2");
    const std::string missing =
        "Will fail: " + FirstLine(PlanLibrarySet(platform::SystemFiles(), model.Sets()[1]).problem);
    EXPECT_NE(missing.find("could not find a folder for disc 2"), std::string::npos);
    // A set bound to fail is not checked until the user checks it.
    EXPECT_EQ(Plans(model),
              (std::vector<std::string>{
                  "Will be merged into \"Alpha_1\"", "Cannot be merged: " + missing.substr(11),
                  "Will be merged again into \"Delta_1\", replacing a merge that "
                  "did not finish",
                  "Merged already into \"Gamma_1\""}));
    EXPECT_EQ(model.Summary(), "4 sets found, 2 checked.");
    EXPECT_TRUE(model.MergeEnabled());
    model.SetChecked(1, true);
    EXPECT_EQ(Plans(model)[1], missing);
    // The row's line is the problem's first; the tooltip has all of it.
    EXPECT_EQ(model.Rows()[1].whatHappensInFull,
              "Will fail: " + PlanLibrarySet(platform::SystemFiles(), model.Sets()[1]).problem);
    EXPECT_EQ(model.Summary(), "4 sets found, 3 checked.");

    for (std::size_t row = 0; row < 3; ++row)
        model.SetChecked(row, false);
    EXPECT_EQ(Plans(model),
              (std::vector<std::string>{"Left as it is", "Cannot be merged: " + missing.substr(11),
                                        "The merge into \"Delta_1\" did not finish",
                                        "Merged already into \"Gamma_1\""}));
    EXPECT_EQ(model.Summary(), "4 sets found, 0 checked.");
    EXPECT_FALSE(model.MergeEnabled());
}

TEST(LibraryModel, ASetSpreadOverFoldersNamesTheFirstAndTheLast) {
    TempTree tree;
    const std::string track = testing::PaddedTag(testing::TextFrame("TALB", "Big"), 64) +
                              testing::FillerAudio(100) + std::string(128, '\0');
    // 255 tracks: one more than a folder holds.
    for (int n = 0; n <= MaxTracksPerFolder; ++n) {
        const int number = n % 99 + 1;
        tree.File("Big Disc " + std::to_string(n / 99 + 1) + "/" + (number < 10 ? "0" : "") +
                      std::to_string(number) + " T.mp3",
                  track);
    }
    LibraryModel model(tree.Root());
    EXPECT_EQ(Plans(model),
              std::vector<std::string>{"Will be merged into \"Big_1\" ... \"Big_2\""});
    EXPECT_EQ(model.Summary(), "1 set found, 1 checked.");
}

TEST(LibraryModel, AfterAMergeEachRowSaysWhatBecameOfItsSet) {
    Shelf shelf;
    LibraryModel model(shelf.tree.Root());
    model.SetChecked(1, true);
    model.SetChecked(3, true);
    const std::vector<LibrarySet> chosen = model.StartMerge();
    ASSERT_EQ(chosen.size(), 4u);
    EXPECT_TRUE(model.Merging());
    EXPECT_FALSE(model.MergeEnabled());
    EXPECT_TRUE(model.StartMerge().empty());  // one merge at a time
    std::vector<LibrarySetResult> results(4);
    results[0].state = State::Merged;
    results[0].outputFolders = {"Alpha_1"};
    results[1].state = State::Failed;
    results[1].message = "Cannot merge.\nThe reason.";
    results[2].state = State::Cancelled;
    model.MergeEnded(results);
    EXPECT_EQ(Plans(model),
              (std::vector<std::string>{"Merged into \"Alpha_1\"", "Failed: Cannot merge.",
                                        "Cancelled", "Not started"}));
    EXPECT_FALSE(model.Rows()[0].checked);
    EXPECT_TRUE(model.Rows()[1].checked);
    EXPECT_EQ(model.Summary(), "1 merged, 1 failed.");
    EXPECT_FALSE(model.Merging());
    EXPECT_TRUE(model.MergeEnabled());
}

TEST(LibraryModel, FoldersThatCouldNotBeReadAreCounted) {
    TempTree tree;
    LibraryModel model(tree.Path("gone"));
    ASSERT_EQ(model.Rows().size(), 1u);
    EXPECT_FALSE(model.Rows()[0].checkable);
    EXPECT_EQ(model.Rows()[0].discs, "");
    model.SetChecked(0, true);
    EXPECT_FALSE(model.Rows()[0].checked);
    EXPECT_EQ(model.Summary(), "0 sets found, 0 checked. 1 folder could not be read.");
}

}  // namespace
}  // namespace brambex
