// Finding the sets of a library and merging many of them in one go.
#include "engine/library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "engine/library_merge.h"
#include "engine/library_plan.h"
#include "options/merge_options_form.h"
#include "options/merge_settings.h"
#include "support/fake_front_end.h"
#include "support/tag_bytes.h"
#include "support/temp_tree.h"

namespace brambex {
namespace {

using State = LibrarySetResult::State;
using testing::FakeFrontEnd;
using testing::ProgressEvent;
using testing::TempTree;

std::string TrackOf(const std::string& album, const std::string& artist = "Someone") {
    return testing::PaddedTag(testing::TextFrame("TALB", album) +
                                  testing::TextFrame("TPE1", artist) +
                                  testing::TextFrame("TIT2", "Song"),
                              64) +
           testing::FillerAudio(5000) + std::string(128, '\0');
}

// Disc folders "<where>/<name(d)>" for the discs given, two tracks each.
void MakeDiscs(const TempTree& tree, const std::string& where, const std::string& stem,
               std::initializer_list<int> discs, const std::string& album) {
    for (int disc : discs) {
        for (int track = 1; track <= 2; ++track)
            tree.File(
                where + "/" + stem + std::to_string(disc) + "/0" + std::to_string(track) + " T.mp3",
                TrackOf(album));
    }
}

std::vector<std::string> Problems(const std::vector<LibrarySetPlan>& plans) {
    std::vector<std::string> problems;
    for (const LibrarySetPlan& plan : plans)
        problems.push_back(plan.problem);
    return problems;
}

void MarkOutput(const TempTree& tree, const std::string& folder) {
    tree.File(folder + "/merged");
}

TEST(Library, FindsNestedSetsAndTellsMergedOnes) {
    TempTree tree;
    MakeDiscs(tree, "Sea", "Moby Dick Disc ", {1, 2, 3}, "Moby Dick Disc 1");
    MarkOutput(tree, "Sea/Moby Dick_1");
    // A merge that did not finish.
    MakeDiscs(tree, "Sea", "Dracula Disc ", {1, 2}, "Dracula Disc 1");
    MarkOutput(tree, "Sea/Dracula_1");
    tree.File("Sea/Dracula_1/.brambex-incomplete");
    // An output folder's contents are never searched, whatever they look like.
    MakeDiscs(tree, "Sea/Moby Dick_1", "Copy Disc ", {1, 2}, "Copy");
    // A shelf named like a disc holds sets but no tracks of its own.
    MakeDiscs(tree, "Box 1/Austen", "Persuasion 0", {1, 2}, "Persuasion");
    // Discs named by their number alone, and no album: the folder above names the set.
    MakeDiscs(tree, "Box 1/Emma", "Disc ", {1, 2}, "");
    // Two sets beside each other whose first tracks give one title: neither may fill
    // the other's output, so both take their folders' names.
    MakeDiscs(tree, "Tales", "Tales CD", {1, 2}, "Collected Works");
    for (const char* track : {"Stories (Disc 1)/01 T.mp3", "Stories (Disc 2)/01 T.mp3"})
        tree.File(std::string("Tales/") + track, TrackOf("Collected Works"));
    // Disc 2 and the earlier output spelt as macOS writes "é": one set, merged.
    MakeDiscs(tree, "Sea", "Caf\xC3\xA9 Disc ", {1}, "");
    MakeDiscs(tree, "Sea", "Cafe\xCC\x81 Disc ", {2}, "");
    MarkOutput(tree, "Sea/Cafe\xCC\x81_1");
    // Not a set: no disc-1 ending.
    tree.File("Loose/01 T.mp3", TrackOf("Loose"));

    struct Expected {
        const char* folder;
        const char* title;
        const char* output;
        int discs;
        int tracks;
        bool fromFolder;
        const char* merged;
    };
    const Expected expected[] = {
        {"Box 1/Austen/Persuasion 01", "Persuasion_1", "Persuasion_1", 2, 4, false, "no"},
        {"Box 1/Emma/Disc 1", "Emma_1", "Emma_1", 2, 4, true, "no"},
        {"Sea/Caf\xC3\xA9 Disc 1", "Caf\xC3\xA9_1", "Caf\xC3\xA9_1", 2, 4, true, "yes"},
        {"Sea/Dracula Disc 1", "Dracula_1", "Dracula_1", 2, 4, false, "interrupted"},
        {"Sea/Moby Dick Disc 1", "Moby Dick_1", "Moby Dick_1", 3, 6, false, "yes"},
        {"Tales/Stories (Disc 1)", "Stories_1", "Stories_1", 2, 2, true, "no"},
        {"Tales/Tales CD1", "Tales_1", "Tales_1", 2, 4, true, "no"},
    };
    const std::vector<LibrarySet> sets = FindLibrarySets(platform::SystemFiles(), tree.Root());
    ASSERT_EQ(sets.size(), std::size(expected));
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const Expected& e = expected[i];
        const LibrarySet& set = sets[i];
        EXPECT_EQ(set.relativeFolder, testing::Native(e.folder));
        EXPECT_EQ(set.discOneFolder, tree.Path(e.folder)) << e.folder;
        EXPECT_EQ(set.title, e.title) << e.folder;
        EXPECT_EQ(set.outputFolder, e.output) << e.folder;
        EXPECT_EQ(set.discs, e.discs) << e.folder;
        EXPECT_EQ(set.tracks, e.tracks) << e.folder;
        EXPECT_EQ(set.titleFromFolder, e.fromFolder) << e.folder;
        EXPECT_EQ(set.merged        ? "yes"
                  : set.interrupted ? "interrupted"
                                    : "no",
                  std::string(e.merged))
            << e.folder;
        EXPECT_EQ(set.artist, "Someone") << e.folder;
    }
    EXPECT_EQ(PlanLibrarySet(platform::SystemFiles(), sets[0]).problem, "");
    // Checked together, from one reading of each folder: the decomposed disc 2 too.
    EXPECT_EQ(Problems(PlanLibrarySets(platform::SystemFiles(), sets)),
              std::vector<std::string>(sets.size()));
}

TEST(Library, ABookWrittenAsOneFileIsMergedIntoTheTitleWithoutItsNumber) {
    TempTree tree;
    MakeDiscs(tree, "Sea", "Moby Dick Disc ", {1, 2}, "Moby Dick");
    MarkOutput(tree, "Sea/Moby Dick");
    for (OutputFormat format : {OutputFormat::FolderOfTracks, OutputFormat::Mp3Book}) {
        std::vector<LibrarySet> sets = FindLibrarySets(platform::SystemFiles(), tree.Root());
        ASSERT_EQ(sets.size(), 1u);
        ReadSetForFormat(platform::SystemFiles(), sets[0], format);
        const bool book = format == OutputFormat::Mp3Book;
        EXPECT_EQ(sets[0].title, book ? "Moby Dick" : "Moby Dick_1");
        EXPECT_EQ(sets[0].outputFolder, book ? "Moby Dick" : "Moby Dick_1");
        EXPECT_EQ(sets[0].merged, book);
    }
}

TEST(Library, EachSetIsPlannedAsItsMergeWouldBe) {
    TempTree tree;
    MakeDiscs(tree, "", "Small Disc ", {1, 2}, "Small");
    // 255 tracks fill two folders; a first track with a twin stops before anything.
    for (int n = 0; n <= MaxTracksPerFolder; ++n) {
        const int track = n % 99 + 1;
        tree.File("Big Disc " + std::to_string(n / 99 + 1) + "/" + (track < 10 ? "0" : "") +
                      std::to_string(track) + " T.mp3",
                  TrackOf("Big"));
    }
    tree.File("Twin Disc 1/01 A.mp3", TrackOf("Twin"));
    tree.File("Twin Disc 1/01 B.mp3", TrackOf("Twin"));
    struct Expected {
        std::vector<std::string> folders;
        int tracks;
        std::string problem;
    };
    const Expected expected[] = {
        {{"Big_1", "Big_2"}, 255, ""},
        {{"Small_1"}, 4, ""},
        {{},
         0,
         "Two or more mp3 files have the same sequence number! \"" +
             testing::Native("Twin Disc 1/01*.mp3") + "\""},
    };
    const std::vector<LibrarySet> sets = FindLibrarySets(platform::SystemFiles(), tree.Root());
    const std::vector<LibrarySetPlan> plans = PlanLibrarySets(platform::SystemFiles(), sets);
    ASSERT_EQ(plans.size(), std::size(expected));
    for (std::size_t i = 0; i < plans.size(); ++i) {
        EXPECT_EQ(plans[i].outputFolders, expected[i].folders) << sets[i].relativeFolder;
        EXPECT_EQ(plans[i].tracks, expected[i].tracks) << sets[i].relativeFolder;
        EXPECT_EQ(plans[i].problem, expected[i].problem) << sets[i].relativeFolder;
    }
}

TEST(Library, EveryFolderIsSearchedOnceWhateverTheLinks) {
    TempTree tree;
    MakeDiscs(tree, "Shelf", "Alpha Disc ", {1, 2}, "Alpha");
    MakeDiscs(tree, "Elsewhere", "Beta Disc ", {1}, "Beta");
    try {
        std::filesystem::create_directory_symlink(".", testing::FsPath(tree.Path("Shelf/self")));
        std::filesystem::create_directory_symlink("..", testing::FsPath(tree.Path("Shelf/up")));
        // Searched before the folder it leads to: that folder is then passed over, and
        // its tracks count for both sets.
        std::filesystem::create_directory_symlink(
            "../Shelf/Alpha Disc 2", testing::FsPath(tree.Path("Elsewhere/Beta Disc 2")));
    } catch (const std::filesystem::filesystem_error& e) {
        GTEST_SKIP() << "no links here: " << e.what();
    }
    std::vector<LibraryNote> notes;
    const std::vector<LibrarySet> sets =
        FindLibrarySets(platform::SystemFiles(), tree.Root(), &notes);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].tracks, 4);
    EXPECT_EQ(sets[1].relativeFolder, testing::Native("Shelf/Alpha Disc 1"));
    EXPECT_EQ(sets[1].tracks, 4);
    const std::pair<const char*, const char*> expected[] = {
        {"Shelf/Alpha Disc 2", "A folder searched already through a link"},
        {"Shelf/self", "A link to \"Shelf\", a folder above it"},
        {"Shelf/up", "A link to \".\", a folder above it"},
    };
    ASSERT_EQ(notes.size(), std::size(expected));
    for (std::size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(notes[i].relativeFolder, testing::Native(expected[i].first));
        EXPECT_TRUE(notes[i].text.starts_with(expected[i].second)) << notes[i].text;
        EXPECT_FALSE(notes[i].unreadable);
    }
}

TEST(Library, AFolderThatCannotBeReadIsNoted) {
    TempTree tree;
    MakeDiscs(tree, "Locked/Inner", "Alpha Disc ", {1}, "Alpha");
    testing::RunUnprivileged(tree, [&] {
        tree.SetMode("Locked", std::filesystem::perms::owner_write);
        std::vector<LibraryNote> notes;
        EXPECT_TRUE(FindLibrarySets(platform::SystemFiles(), tree.Root(), &notes).empty());
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_EQ(notes[0].relativeFolder, "Locked");
        EXPECT_EQ(notes[0].text, "The folder cannot be read (Permission denied)");
        EXPECT_TRUE(notes[0].unreadable);
        FindLibrarySets(platform::SystemFiles(), tree.Path("Locked/Inner"), &notes);
        EXPECT_EQ(notes.at(0).relativeFolder, "");
    });
}

// A recording plan: the output folders a dry run would fill.
class FolderPlan : public DryRun {
  public:
    void OutputFolder(const std::string& folder, const std::string&,
                      const std::vector<std::string>&) override {
        folders.push_back(folder);
    }
    void Track(const PlannedTrack& track) override {
        if (tracks++ == 0) {
            for (const PlannedFrame& frame : track.frames)
                firstFrames[frame.id] = frame.text;
        }
    }
    std::vector<std::string> folders;
    std::map<std::string, std::string> firstFrames;
    int tracks = 0;
};

struct Shelf {
    TempTree tree;
    Shelf() {
        MakeDiscs(tree, "", "Alpha Disc ", {1, 2}, "Alpha");
        // Disc 2 is missing: the check refuses the set before anything is written.
        MakeDiscs(tree, "", "Beta Disc ", {1, 3}, "Beta");
        MakeDiscs(tree, "", "Gamma Disc ", {1, 2}, "Gamma");
    }
};

TEST(Library, AFailingSetIsPassedOverAndTheOthersAreMerged) {
    Shelf shelf;
    // A stray file is counted as the scan counts files, but no merge takes it: the bar
    // must still reach its end.
    shelf.tree.File("Gamma Disc 2/Notes.mp3", TrackOf("Gamma"));
    const std::vector<LibrarySet> sets =
        FindLibrarySets(platform::SystemFiles(), shelf.tree.Root());
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_NE(PlanLibrarySet(platform::SystemFiles(), sets[1])
                  .problem.find("could not find a folder for disc 2"),
              std::string::npos);
    // The same answers when the sets' folder is read once for all of them.
    EXPECT_EQ(Problems(PlanLibrarySets(platform::SystemFiles(), sets)),
              (std::vector<std::string>{
                  "", PlanLibrarySet(platform::SystemFiles(), sets[1]).problem, ""}));
    FakeFrontEnd ui;
    LibraryMergeSettings settings;
    const std::vector<LibrarySetResult> results =
        MergeLibrary(platform::SystemFiles(), sets, ui, ui.cancel, settings);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].state, State::Merged);
    EXPECT_EQ(results[0].tracks, 4);
    EXPECT_EQ(results[0].outputFolders, std::vector<std::string>{"Alpha_1"});
    EXPECT_EQ(results[1].state, State::Failed);
    EXPECT_NE(results[1].message.find("could not find a folder for disc 2"), std::string::npos);
    EXPECT_EQ(results[2].state, State::Merged);
    EXPECT_EQ(shelf.tree.List("Gamma_1").size(), 5u);  // four tracks and the key file
    EXPECT_FALSE(shelf.tree.Exists("Beta_1"));

    // One progress window over the whole run, each set's messages naming its place.
    int opened = 0;
    int lastDone = 0;
    bool secondSetNamed = false;
    for (const ProgressEvent& e : ui.progress) {
        if (e.kind == ProgressEvent::Open) {
            ++opened;
            EXPECT_EQ(e.value, 12);
        }
        if (e.kind == ProgressEvent::Progress)
            lastDone = e.value;
        if (e.kind == ProgressEvent::Message && e.text.starts_with("Set 3 of 3: "))
            secondSetNamed = true;
    }
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(lastDone, 12);
    EXPECT_TRUE(secondSetNamed);

    const std::vector<LibrarySet> after =
        FindLibrarySets(platform::SystemFiles(), shelf.tree.Root());
    EXPECT_TRUE(after[0].merged);
    EXPECT_FALSE(after[1].merged);
    EXPECT_TRUE(after[2].merged);

    // A merged set merged again: emptying its output is asked only without redo.
    FakeFrontEnd again;
    EXPECT_EQ(
        MergeLibrary(platform::SystemFiles(), {after[0]}, again, again.cancel, settings)[0].state,
        State::Failed);
    settings.redo = true;
    EXPECT_EQ(
        MergeLibrary(platform::SystemFiles(), {after[0]}, again, again.cancel, settings)[0].state,
        State::Merged);
    EXPECT_EQ(shelf.tree.List("Alpha_1").size(), 5u);
}

TEST(Library, ADryRunWritesNothing) {
    Shelf shelf;
    const std::vector<std::string> before = shelf.tree.List();
    const std::vector<LibrarySet> sets =
        FindLibrarySets(platform::SystemFiles(), shelf.tree.Root());
    FakeFrontEnd ui;
    std::vector<FolderPlan> plans(sets.size());
    const auto results =
        MergeLibrary(platform::SystemFiles(), sets, ui, ui.cancel, {},
                     [&](std::size_t i, const MergeSession&) -> DryRun* { return &plans[i]; });
    EXPECT_EQ(results[0].state, State::Merged);
    EXPECT_EQ(plans[0].folders, std::vector<std::string>{"Alpha_1"});
    EXPECT_EQ(plans[2].tracks, 4);
    EXPECT_EQ(shelf.tree.List(), before);
}

TEST(Library, OneDialogAnswersForEverySetEachKeepingItsTitleAndArtist) {
    TempTree tree;
    MakeDiscs(tree, "", "Alpha Disc ", {1}, "Alpha");
    tree.File("Beta Disc 1/01 T.mp3", TrackOf("Beta", "Other"));
    FakeFrontEnd ui;
    bool shared = false;
    ui.mergeOptions = [&](MergeOptionsForm& form) {
        shared = form.SharedAmongSets();
        form.ChooseMusic();
        form.SetKeepTrackNames(false);
        form.SetNameText("Part <album>");
        form.SetTitleText("Typed");
        return true;
    };
    LibraryMergeSettings settings;
    settings.askOnce = true;
    std::vector<FolderPlan> plans(2);
    const auto results =
        MergeLibrary(platform::SystemFiles(), FindLibrarySets(platform::SystemFiles(), tree.Root()),
                     ui, ui.cancel, settings,
                     [&](std::size_t i, const MergeSession&) -> DryRun* { return &plans[i]; });
    EXPECT_EQ(ui.mergeOptionsRuns, 1);
    EXPECT_TRUE(shared);  // the dialog offers no title or artist of its own
    EXPECT_EQ(results[0].outputFolders, std::vector<std::string>{"Alpha_1"});
    EXPECT_EQ(results[1].outputFolders, std::vector<std::string>{"Beta_1"});
    EXPECT_EQ(plans[0].firstFrames["TPE1"], "Someone");
    EXPECT_EQ(plans[1].firstFrames["TPE1"], "Other");
    EXPECT_EQ(plans[0].firstFrames["TIT2"], "Part Alpha_1");
    EXPECT_EQ(plans[1].firstFrames["TIT2"], "Part Beta_1");
}

// What one dialog chose of the output holds for every set it answers for.
TEST(Library, SharedChoicesCarryTheFormatTheJobsAndTheBooksStream) {
    MergeSettings first;
    MergeOptionsForm asked(first);
    asked.SetUp();
    asked.SetFormat(OutputFormat::Mp3Book);
    asked.SetJobs(3);
    asked.SetBitrateText("96");
    asked.SetMono(true);
    MergeSettings other;
    MergeOptionsForm answered(other);
    answered.SetUp();
    ApplySharedOptions(RecordSharedOptions(asked), answered);
    EXPECT_EQ(answered.Format(), OutputFormat::Mp3Book);
    EXPECT_EQ(answered.Jobs(), 3);
    EXPECT_EQ(answered.Bitrate().text, "96");
    EXPECT_TRUE(answered.Mono());
}

TEST(Library, CancelStopsAfterTheRunningTrack) {
    Shelf shelf;
    const std::vector<LibrarySet> sets =
        FindLibrarySets(platform::SystemFiles(), shelf.tree.Root());
    FakeFrontEnd ui;
    ui.onProgressUpdate = [&](int) { ui.cancel.Request(); };
    const auto results = MergeLibrary(platform::SystemFiles(), sets, ui, ui.cancel, {});
    EXPECT_EQ(results[0].state, State::Cancelled);
    EXPECT_EQ(results[1].state, State::NotStarted);
    EXPECT_EQ(results[2].state, State::NotStarted);
    EXPECT_FALSE(shelf.tree.Exists("Gamma_1"));

    // The cancelled set reads as interrupted, and is merged again without a question.
    std::vector<LibrarySet> after = FindLibrarySets(platform::SystemFiles(), shelf.tree.Root());
    ASSERT_TRUE(after[0].interrupted);
    FakeFrontEnd again;
    EXPECT_EQ(MergeLibrary(platform::SystemFiles(), {after[0]}, again, again.cancel, {})[0].state,
              State::Merged);
    ReadMergedState(platform::SystemFiles(), after[0]);
    EXPECT_TRUE(after[0].merged);
}

}  // namespace
}  // namespace brambex
