// The plan of a merge from a set's listing and the form's choices, without files: each
// case is a set and choices in, folders and tracks out.
#include "engine/merge_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace brambex {
namespace {

using Names = std::vector<std::string>;

// A disc folder of `count` tracks "01 T.mp3", "02 T.mp3", ... from `first` on.
DiscFolder Disc(const std::string& name, int count, int first = 1, Names pictures = {}) {
    DiscFolder disc;
    disc.name = name;
    for (int n = first; n < first + count; ++n)
        disc.found.tracks.push_back({n, (n < 10 ? "0" : "") + std::to_string(n) + " T.mp3", 10});
    disc.pictures = std::move(pictures);
    return disc;
}

DiscSet Set(std::vector<DiscFolder> discs) {
    DiscSet set;
    set.setFolder = "/rips";
    set.discs = std::move(discs);
    return set;
}

MergeChoices Titled(const std::string& title, OutputFormat format = OutputFormat::FolderOfTracks) {
    MergeChoices choices;
    choices.title = title;
    choices.format = format;
    return choices;
}

std::string In(const std::string& folder, const std::string& name) {
    return platform::JoinPath(folder, name);
}

TEST(PlanMerge, FoldersNamesAndNumbers) {
    struct Case {
        const char* name;
        std::vector<DiscFolder> discs;
        const char* title;
        OutputFormat format;
        Names folders;
        Names albums;
        bool splitForCount;
        std::size_t tracks;
        // The output paths of the first and last track.
        std::string first;
        std::string last;
    };
    const Case cases[] = {
        {"one folder",
         {Disc("A 1", 3, 1, {"cover.jpg"}), Disc("A 2", 2)},
         "Moby Dick",
         OutputFormat::FolderOfTracks,
         {"Moby Dick"},
         {"Moby Dick"},
         false,
         5,
         In("Moby Dick", "01 1-1 T.mp3"),
         In("Moby Dick", "05 2-2 T.mp3")},
        {"split by the title",
         {Disc("A 1", 2)},
         "Moby Dick_1",
         OutputFormat::FolderOfTracks,
         {"Moby Dick_1"},
         {"Moby Dick_1"},
         false,
         2,
         In("Moby Dick_1", "01 1-1 T.mp3"),
         In("Moby Dick_1", "02 1-2 T.mp3")},
        {"split by the count",
         {Disc("A 1", 99), Disc("A 2", 99), Disc("A 3", 62, 1, {"c.jpg"})},
         "Big",
         OutputFormat::FolderOfTracks,
         {"Big_1", "Big_2"},
         {"Big_1", "Big_2"},
         true,
         260,
         In("Big_1", "001 1-1 T.mp3"),
         In("Big_2", "06 3-62 T.mp3")},
        {"a disc without tracks",
         {Disc("A 1", 0), Disc("A 2", 1, 7)},
         "X",
         OutputFormat::FolderOfTracks,
         {"X"},
         {"X"},
         false,
         1,
         In("X", "01 2-7 T.mp3"),
         In("X", "01 2-7 T.mp3")},
        // A book written as one file has one folder: neither its title nor its count
        // splits it.
        {"one file, a long set",
         {Disc("A 1", 99), Disc("A 2", 99), Disc("A 3", 62)},
         "Big_2",
         OutputFormat::Mp3Book,
         {"Big_2"},
         {"Big_2"},
         false,
         260,
         In("Big_2", "001 1-1 T.mp3"),
         In("Big_2", "260 3-62 T.mp3")},
    };
    for (const Case& c : cases) {
        const MergePlan plan = PlanMerge(Set(c.discs), Titled(c.title, c.format));
        Names folders, albums;
        for (const PlannedFolder& folder : plan.folders) {
            folders.push_back(folder.name);
            albums.push_back(folder.albumTitle);
        }
        EXPECT_EQ(folders, c.folders) << c.name;
        EXPECT_EQ(albums, c.albums) << c.name;
        EXPECT_EQ(plan.splitForCount, c.splitForCount) << c.name;
        ASSERT_EQ(plan.tracks.size(), c.tracks) << c.name;
        EXPECT_EQ(plan.tracks.front().outputPath, c.first) << c.name;
        EXPECT_EQ(plan.tracks.back().outputPath, c.last) << c.name;
        EXPECT_FALSE(plan.stop) << c.name;
    }
}

TEST(PlanMerge, EachFolderGetsThePicturesOfItsFirstTracksDisc) {
    const MergePlan plan = PlanMerge(
        Set({Disc("A 1", 200, 1, {"one.jpg"}), Disc("A 2", 60, 1, {"two.jpg"})}), Titled("Big"));
    ASSERT_EQ(plan.folders.size(), 2u);
    EXPECT_EQ(plan.folders[0].pictures, Names{"one.jpg"});
    EXPECT_EQ(plan.folders[1].discFolder, "A 2");
    EXPECT_EQ(plan.folders[1].pictures, Names{"two.jpg"});
    EXPECT_EQ(plan.tracks[254].runningNumber, 1);
    EXPECT_EQ(plan.tracks[254].folder, 1u);
}

TEST(PlanMerge, TwoTracksWithOneNumberEndThePlanThere) {
    DiscFolder second = Disc("A 2", 4);
    second.found.tracks.insert(second.found.tracks.begin() + 2, {3, "03 Again.mp3"});
    const MergePlan plan = PlanMerge(Set({Disc("A 1", 2), second}), Titled("X"));
    ASSERT_TRUE(plan.stop);
    EXPECT_EQ(plan.stop->text, In("A 2", "03*.mp3"));
    EXPECT_EQ(plan.stopDisc, 2);
    EXPECT_EQ(plan.tracks.size(), 4u);  // disc 1's two and disc 2's tracks 1 and 2
}

TEST(PlanMerge, LongNameLosesTheEndOfItsTitleOnACharacterBoundary) {
    DiscFolder disc;
    disc.name = "A 1";
    std::string name = "01 ";
    for (int i = 0; i < 126; ++i)
        name += "\xC3\xA9";  // 252 bytes of title
    disc.found.tracks.push_back({1, name + ".mp3"});
    const std::string out = PlanMerge(Set({disc}), Titled("X")).tracks[0].fileName;
    EXPECT_LE(out.size(), platform::MaxNameBytes);
    EXPECT_TRUE(out.starts_with("01 1-1 \xC3\xA9"));
    EXPECT_TRUE(out.ends_with("\xC3\xA9.mp3"));
}

TEST(PreviewPlan, TitlesFromThePatternAndTheTracksOwnTitles) {
    MergeChoices choices = Titled("Book_1");
    choices.titleTemplate = "<track>. <song>";
    const MergePlan plan = PlanMerge(Set({Disc("A 1", 3), Disc("A 2", 300)}), choices);
    const MergePreview preview = PreviewPlan(plan, {"Call", std::nullopt});
    EXPECT_EQ(preview.folders, (Names{"Book_1", "Book_2"}));
    ASSERT_EQ(preview.tracks.size(), 2u);
    EXPECT_EQ(preview.tracks[0].fileName, "001 1-1 T.mp3");
    EXPECT_EQ(preview.tracks[0].title, "1. Call");
    EXPECT_EQ(preview.tracks[1].title, "1-2 Book_1");  // no title of its own
    EXPECT_TRUE(preview.problem.empty());

    choices.keepTrackNames = true;
    EXPECT_EQ(PreviewPlan(PlanMerge(Set({Disc("A 1", 1)}), choices), {"Own"}).tracks[0].title,
              "Own");
    choices.keepTrackNames = false;
    choices.titleTemplate = "<chapter>";
    const MergePreview bad = PreviewPlan(PlanMerge(Set({Disc("A 1", 1)}), choices), {"Own"});
    EXPECT_TRUE(bad.tracks.empty());
    EXPECT_TRUE(bad.problem.starts_with("Unrecognized code: <chapter>")) << bad.problem;
    EXPECT_TRUE(preview.bookFile.empty());
}

TEST(PreviewPlan, ABookIsOneFileNamedAsItsFolder) {
    MergeChoices choices = Titled("Book");
    choices.format = OutputFormat::Mp3Book;
    choices.titleTemplate = "<track>. <song>";
    const MergePreview preview = PreviewPlan(PlanMerge(Set({Disc("A 1", 2)}), choices), {"Call"});
    EXPECT_EQ(preview.folders, (Names{"Book"}));
    EXPECT_EQ(preview.bookFile, "Book.mp3");
    ASSERT_EQ(preview.tracks.size(), 1u);
    EXPECT_EQ(preview.tracks[0].title, "1. Call");  // its chapter's title
}

}  // namespace
}  // namespace brambex
