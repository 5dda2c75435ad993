// The folder-of-tracks writer over real folders: sets of MP3 files built from bytes in a
// temp folder, merged through the scripted front end, outputs read back byte by byte.
#include "engine/merge_session.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/disc_set.h"
#include "engine/system_reason.h"
#include "engine/track_pipeline.h"
#include "options/merge_options_form.h"
#include "platform/native_file.h"
#include "support/fake_front_end.h"
#include "support/file_size_limit.h"
#include "support/tag_bytes.h"
#include "support/temp_tree.h"
#include "tags/diagnostic.h"

namespace brambex {
namespace {

using testing::FakeFrontEnd;
using testing::Native;
using testing::OnlyMessage;
using testing::ProgressEvent;
using testing::TempTree;

using Frame = std::pair<std::string, std::string>;  // id, ISO-8859-1 text
using Frames = std::vector<Frame>;

// The ID3v1.1 trailer of the tracks here: a year and a comment besides the texts.
std::string Trailer(const std::string& title, const std::string& artist, const std::string& album,
                    int track, int genre) {
    return testing::Trailer(title, artist, album, track, genre, "1851", "comment");
}

struct TrackBytes {
    Frames frames;
    std::size_t padding = 256;
    std::string audio;
    std::string trailer;

    std::string Tag() const {
        std::string body;
        for (const auto& [id, text] : frames)
            body += testing::TextFrame(id, text);
        return testing::PaddedTag(body, padding);
    }
    std::string File() const { return Tag() + audio + trailer; }
};

// An output file taken apart: its tag's frames, the tag size, the audio and trailer.
struct ParsedTrack {
    std::size_t tagSize = 0;
    Frames frames;
    std::string audio;
    std::string trailer;

    std::string TrailerText(std::size_t offset) const {
        std::string field = trailer.substr(offset, 30);
        return field.substr(0, field.find('\0'));
    }
    std::string TrailerTitle() const { return TrailerText(3); }
    std::string TrailerArtist() const { return TrailerText(33); }
    std::string TrailerAlbum() const { return TrailerText(63); }
    int TrailerTrack() const { return static_cast<unsigned char>(trailer[126]); }
    int TrailerGenre() const { return static_cast<unsigned char>(trailer[127]); }
    std::string Text(const std::string& id) const {
        for (const auto& [frameId, text] : frames)
            if (frameId == id)
                return text;
        return "<none>";
    }
};

ParsedTrack Parse(const std::string& bytes) {
    ParsedTrack t;
    if (bytes.size() < 10 + 128 || bytes.compare(0, 3, "ID3") != 0) {
        ADD_FAILURE() << "no ID3v2 tag";
        return t;
    }
    for (int i = 6; i < 10; ++i)
        t.tagSize = (t.tagSize << 7) | (bytes[i] & 0x7F);
    std::size_t pos = 10;
    while (pos + 10 <= 10 + t.tagSize && bytes[pos] != '\0') {
        std::size_t size = 0;
        for (int i = 4; i < 8; ++i)
            size = (size << 8) | static_cast<unsigned char>(bytes[pos + i]);
        std::string payload = bytes.substr(pos + 10, size);
        std::string text = payload.empty() || payload[0] != '\0' ? payload : payload.substr(1);
        t.frames.push_back({bytes.substr(pos, 4), text.substr(0, text.find('\0'))});
        pos += 10 + size;
    }
    std::size_t audioStart = 10 + t.tagSize;
    t.audio = bytes.substr(audioStart, bytes.size() - 128 - audioStart);
    t.trailer = bytes.substr(bytes.size() - 128);
    return t;
}

// Audio that tells the tracks apart: the name repeated, more than 4096 bytes.
std::string AudioOf(const std::string& name) {
    std::string audio;
    while (audio.size() < 5000)
        audio += name + "|";
    return audio;
}

class FolderWriterTest : public ::testing::Test {
  protected:
    // A track with the usual frames of a ripped audiobook.
    TrackBytes Usual(const std::string& disc, const std::string& name) const {
        TrackBytes t;
        t.frames = {{"TALB", "Moby Dick Disc 1"},
                    {"TPE1", "Herman Melville"},
                    {"TPE2", "Herman Melville"},
                    {"TCON", "(101)"},
                    {"TRCK", "3"},
                    {"TIT2", "Title of " + name}};
        t.audio = AudioOf(disc + "/" + name);
        t.trailer = Trailer("Old title", "Old artist", "Old album", 3, 101);
        return t;
    }
    void Put(const std::string& disc, const std::string& name) {
        tree.File(disc + "/" + name, Usual(disc, name).File());
    }
    void Put(const std::string& disc, const std::string& name, const TrackBytes& t) {
        tree.File(disc + "/" + name, t.File());
    }
    void ScanAndMerge(const std::string& disc1 = "Moby Dick Disc 1") {
        ASSERT_TRUE(session.Scan(tree.Path(disc1)).Completed());
        outcome = session.Merge(ui.cancel);
    }
    ParsedTrack Output(const std::string& path) const { return Parse(tree.Read(path)); }
    std::vector<int> ProgressValues() const {
        std::vector<int> values;
        for (const ProgressEvent& e : ui.progress)
            if (e.kind == ProgressEvent::Progress)
                values.push_back(e.value);
        return values;
    }
    // The track files of an output folder (the key file, the unfinished marker and
    // pictures left out).
    std::vector<std::string> Tracks(const std::string& folder) const {
        std::vector<std::string> tracks;
        for (const std::string& name : tree.List(folder))
            if (name != "merged" && name != ".brambex-incomplete" &&
                name.find(".jpg") == std::string::npos)
                tracks.push_back(name);
        return tracks;
    }

    TempTree tree;
    FakeFrontEnd ui;
    MergeSession session{ui};
    MergeSettings& settings = session.Settings();
    const MergeRun& run = session.LastRun();
    MergeOutcome outcome;
};

TEST_F(FolderWriterTest, WorkedExampleFrameByFrame) {
    for (const char* name : {"01 One.mp3", "02 Two.mp3", "03 Three.mp3", "04 Four.mp3"})
        Put("Moby Dick Disc 1", name);
    Put("Moby Dick Disc 2", "01 Chapter One.mp3");
    Put("Moby Dick Disc 2", "02 Chapter Two.mp3");
    TrackBytes input = Usual("Moby Dick Disc 2", "03 Chapter Three.mp3");
    input.frames = {{"TIT2", "Chapter Three"}, {"TXXX", "kept as is"},       {"TPE1", "Someone"},
                    {"TRCK", "3/9"},           {"TALB", "Moby Dick Disc 2"}, {"TCON", "(101)"},
                    {"TPE2", "Someone"}};
    Put("Moby Dick Disc 2", "03 Chapter Three.mp3", input);
    ui.mergeOptions = [](MergeOptionsForm& form) {
        form.SetArtistText("Herman Melville");
        return true;
    };

    ScanAndMerge();

    ASSERT_EQ(ui.messages.size(), 0u) << ui.messages[0].text;
    EXPECT_EQ(run.outputFolder, "Moby Dick");
    EXPECT_TRUE(run.splitFolders);
    ParsedTrack out = Output("Moby Dick_1/07 2-3 Chapter Three.mp3");
    Frames expected = {{"TIT2", "2-3 Moby Dick_1"}, {"TXXX", "kept as is"},
                       {"TPE1", "Herman Melville"}, {"TRCK", "7"},
                       {"TALB", "Moby Dick_1"},     {"TCON", "Audiobook"},
                       {"TPE2", "Herman Melville"}};
    EXPECT_EQ(out.frames, expected);
    EXPECT_EQ(out.tagSize, input.Tag().size() - 10);
    EXPECT_EQ(out.audio, input.audio);
    EXPECT_EQ(out.trailer, Trailer("2-3 Moby Dick_1", "Herman Melville", "Moby Dick_1", 7, 12));
    std::vector<int> progress = ProgressValues();
    ASSERT_GE(progress.size(), 7u);
    EXPECT_EQ(progress[6], 7);
}

TEST_F(FolderWriterTest, MissingFramesAreAddedInOrder) {
    TrackBytes bare = Usual("Moby Dick Disc 1", "01 Bare.mp3");
    bare.frames = {{"TPE1", "Old"}, {"COMM", "a note"}};
    bare.trailer = Trailer("", "Trailer Artist", "Moby Dick Disc 1", 0, 0);
    Put("Moby Dick Disc 1", "01 Bare.mp3", bare);

    ScanAndMerge();

    ParsedTrack out = Output("Moby Dick_1/01 1-1 Bare.mp3");
    // The artist comes from the first track's TPE1; TPE1 is rewritten where it stands,
    // TPE2 is added.
    const std::string artist = "Old";
    Frames expected = {{"TPE1", artist}, {"COMM", "a note"},          {"TCON", "Audiobook"},
                       {"TRCK", "1"},    {"TIT2", "1-1 Moby Dick_1"}, {"TALB", "Moby Dick_1"},
                       {"TPE2", artist}};
    EXPECT_EQ(out.frames, expected);
    EXPECT_EQ(out.audio, bare.audio);
}

TEST_F(FolderWriterTest, KeepFlagsLeaveTheTracksOwnTexts) {
    TrackBytes noTitle = Usual("Moby Dick Disc 1", "02 Untitled.mp3");
    noTitle.frames = {{"TCON", "(17)"}, {"TRCK", "2"}};
    Put("Moby Dick Disc 1", "01 First.mp3");
    Put("Moby Dick Disc 1", "02 Untitled.mp3", noTitle);
    ui.mergeOptions = [](MergeOptionsForm& form) {
        form.SetKeepGenre(true);
        form.SetKeepAlbumTitle(true);
        form.SetKeepArtist(true);
        form.SetKeepTrackNames(true);
        form.SetArtistText("New Artist");
        return true;
    };

    ScanAndMerge();

    ParsedTrack first = Output("Moby Dick_1/01 1-1 First.mp3");
    Frames expected = {{"TALB", "Moby Dick Disc 1"},
                       {"TPE1", "Herman Melville"},
                       {"TPE2", "Herman Melville"},
                       {"TCON", "(101)"},
                       {"TRCK", "1"},
                       {"TIT2", "Title of 01 First.mp3"}};
    EXPECT_EQ(first.frames, expected);
    // The trailer keeps its title and genre but always gets the settings' artist and album.
    EXPECT_EQ(first.TrailerTitle(), "Old title");
    EXPECT_EQ(first.TrailerGenre(), 101);
    EXPECT_EQ(first.TrailerArtist(), "New Artist");
    EXPECT_EQ(first.TrailerAlbum(), "Moby Dick_1");
    EXPECT_EQ(first.TrailerTrack(), 1);

    // Nothing is added for kept frames: a track without them gets only its TRCK.
    ParsedTrack second = Output("Moby Dick_1/02 1-2 Untitled.mp3");
    EXPECT_EQ(second.frames, (Frames{{"TCON", "(17)"}, {"TRCK", "2"}}));
}

TEST_F(FolderWriterTest, FileNamesGapsAndOrder) {
    const std::string disc = "Moby Dick Disc 1";
    for (const char* name :
         {"01 Intro.mp3", "02 Storm.mp3", "04 Calm.mp3", "05.mp3", "06 Live.mp3 Remix.mp3",
          "07 Loud.MP3", "1 Short.mp3", "notes.mp3", "08 Cover.jpg"})
        Put(disc, name);
    Put("Moby Dick Disc 2", "02 Late Start.mp3");
    Put("Moby Dick Disc 2", "03 Next.mp3");

    ScanAndMerge();

    ASSERT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    EXPECT_EQ(Tracks("Moby Dick_1"),
              (std::vector<std::string>{"01 1-1 Intro.mp3", "02 1-2 Storm.mp3", "03 1-4 Calm.mp3",
                                        "04 1-5 05.mp3", "05 1-6 Live.mp3", "06 1-7 Loud.mp3",
                                        "07 2-2 Late Start.mp3", "08 2-3 Next.mp3"}));
    EXPECT_EQ(Output("Moby Dick_1/03 1-4 Calm.mp3").audio, AudioOf(disc + "/04 Calm.mp3"));
    EXPECT_EQ(Output("Moby Dick_1/07 2-2 Late Start.mp3").Text("TIT2"), "2-2 Moby Dick_1");
    EXPECT_EQ(ProgressValues(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_GT(ui.bytes.second, 0);
    EXPECT_EQ(ui.bytes.first, ui.bytes.second);

    // The window opens at the first track; its caption changes only at a disc's track 01,
    // which disc 2 does not have.
    ASSERT_FALSE(ui.progress.empty());
    EXPECT_EQ(ui.progress[0].kind, ProgressEvent::Open);
    EXPECT_EQ(ui.progress[0].text, "Merging \"Moby Dick Disc 1\"");
    for (const ProgressEvent& e : ui.progress)
        EXPECT_NE(e.kind, ProgressEvent::Title);
    EXPECT_EQ(ui.progress.back().kind, ProgressEvent::Close);

    // A completed merge says so, with its count, and leaves no set to merge again.
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Completed);
    EXPECT_EQ(outcome.tracks, 8);
    EXPECT_FALSE(session.HasSet());
}

TEST_F(FolderWriterTest, ProgressMessagesNameTrackAndFolder) {
    Put("Moby Dick Disc 1", "01 A.mp3");
    Put("Moby Dick Disc 2", "01 B.mp3");

    ScanAndMerge();

    std::vector<std::pair<ProgressEvent::Kind, std::string>> texts;
    for (const ProgressEvent& e : ui.progress)
        if (e.kind == ProgressEvent::Title || e.kind == ProgressEvent::Message)
            texts.push_back({e.kind, e.text});
    EXPECT_EQ(texts, (std::vector<std::pair<ProgressEvent::Kind, std::string>>{
                         {ProgressEvent::Message, ""},
                         {ProgressEvent::Message, "Merging track  1 from \"Moby Dick Disc 1\""},
                         {ProgressEvent::Title, "Merging \"Moby Dick Disc 2\""},
                         {ProgressEvent::Message, "Merging track  1 from \"Moby Dick Disc 2\""}}));
    EXPECT_EQ(ui.progress[0].value, 2);  // the total is the scan's track count
}

TEST_F(FolderWriterTest, TrackNumbersAreWholeNumbers) {
    // "100 Hundred" is track 100, never track 10; "07x" is 7, "007" nothing.
    for (const char* name : {"100 Hundred.mp3", "09 Before.mp3", "10 Ten.mp3", "007 Bond.mp3",
                             "07x.mp3", "1-05 Disc form.mp3"})
        Put("Moby Dick Disc 1", name);

    ScanAndMerge();

    ASSERT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    EXPECT_EQ(Tracks("Moby Dick_1"),
              (std::vector<std::string>{"01 1-7 07x.mp3", "02 1-9 Before.mp3", "03 1-10 Ten.mp3",
                                        "04 1-100 100 Hundred.mp3"}));
}

TEST_F(FolderWriterTest, SetThatIsNotWholeIsRefusedBeforeAnythingIsWritten) {
    Put("Moby Dick Disc 1", "01 A.mp3");
    Put("Moby Dick Disc 3", "01 C.mp3");

    ScanAndMerge();

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.starts_with("I could not find a folder for disc 2."));
    EXPECT_EQ(ui.mergeOptionsRuns, 0);
    EXPECT_EQ(tree.List(), (std::vector<std::string>{"Moby Dick Disc 1", "Moby Dick Disc 3"}));
}

TEST_F(FolderWriterTest, DiscFolderGoneWhileMergingStopsTheMerge) {
    for (const char* disc : {"Moby Dick Disc 1", "Moby Dick Disc 2", "Moby Dick Disc 3"})
        Put(disc, "01 A.mp3");
    ui.onProgressUpdate = [&](int) {
        if (tree.Exists("Moby Dick Disc 2"))
            std::filesystem::rename(testing::FsPath(tree.Path("Moby Dick Disc 2")),
                                    testing::FsPath(tree.Path("Renamed")));
    };
    ScanAndMerge();

    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Stopped);
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{UnreadableDiscFolder(
                                     2, "Moby Dick Disc 2", platform::SystemError(ENOENT))});
    EXPECT_EQ(Tracks("Moby Dick_1"), std::vector<std::string>{"01 1-1 A.mp3"});
}

TEST_F(FolderWriterTest, DiscAndTrackNamesAreTracksWhereNoPlainOnesAre) {
    Put("Moby Dick Disc 1", "1-01 Call Me Ishmael.mp3");
    Put("Moby Dick Disc 1", "1-02 The Carpet-Bag.mp3");
    Put("Moby Dick Disc 2", "2-01 The Chapel.mp3");
    Put("Moby Dick Disc 2", "01 Plain.mp3");  // a plain track: the disc's others are not

    ScanAndMerge();

    ASSERT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    EXPECT_EQ(Tracks("Moby Dick_1"),
              (std::vector<std::string>{"01 1-1 Call Me Ishmael.mp3", "02 1-2 The Carpet-Bag.mp3",
                                        "03 2-1 Plain.mp3"}));
}

TEST_F(FolderWriterTest, TwoFilesWithOneNumberStopTheMerge) {
    Put("Moby Dick Disc 1", "09 Before.mp3");
    Put("Moby Dick Disc 1", "10 Ten.mp3");
    Put("Moby Dick Disc 1", "10 Another Ten.mp3");

    ScanAndMerge();

    EXPECT_TRUE(OnlyMessage(ui, Native("Moby Dick Disc 1/10*.mp3"),
                            "Two or more mp3 files have the same sequence number!",
                            MessageKind::Error));
    // Tracks before the duplicate stay; a failed merge leaves the set selected.
    EXPECT_EQ(Tracks("Moby Dick_1"), (std::vector<std::string>{"01 1-9 Before.mp3"}));
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Stopped);
    EXPECT_TRUE(session.HasSet());
    EXPECT_FALSE(ui.progressOpen);
}

TEST_F(FolderWriterTest, SplitAt254WithEachFoldersPictures) {
    // Three discs of 99 tracks and one of 3 (a disc of 100 would hold 10 beside 100):
    // track 255 is disc 3's track 57 and opens folder 2.
    for (int disc = 1; disc <= 4; ++disc) {
        std::string folder = "Moby Dick Disc " + std::to_string(disc);
        for (int n = 1; n <= (disc < 4 ? 99 : 3); ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "%02d Part.mp3", n);
            TrackBytes t;
            t.frames = {{"TALB", "Moby Dick Disc 1"}, {"TIT2", "x"}};
            t.audio = std::string(4200, static_cast<char>('a' + disc));
            t.trailer = Trailer("", "", "", 0, 0);
            Put(folder, name, t);
        }
        tree.File(folder + "/cover.jpg", "picture of disc " + std::to_string(disc));
    }
    // The set reads as unfinished by its first folder until its last track has a name.
    bool markedAtLastTrack = false;
    ui.onProgressUpdate = [&](int) {
        const ProgressEvent& e = ui.progress.back();
        if (e.kind == ProgressEvent::Progress && e.value == 300)
            markedAtLastTrack = tree.Exists("Moby Dick_1/.brambex-incomplete");
    };

    ScanAndMerge();

    ASSERT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    EXPECT_TRUE(markedAtLastTrack);
    EXPECT_FALSE(tree.Exists("Moby Dick_1/.brambex-incomplete"));
    EXPECT_FALSE(tree.Exists("Moby Dick_2/.brambex-incomplete"));
    EXPECT_EQ(Tracks("Moby Dick_1").size(), 254u);
    EXPECT_EQ(Tracks("Moby Dick_2").size(), 46u);
    EXPECT_TRUE(tree.Exists("Moby Dick_1/001 1-1 Part.mp3"));
    EXPECT_TRUE(tree.Exists("Moby Dick_1/254 3-56 Part.mp3"));
    EXPECT_TRUE(tree.Exists("Moby Dick_2/01 3-57 Part.mp3"));
    EXPECT_TRUE(tree.Exists("Moby Dick_2/46 4-3 Part.mp3"));
    EXPECT_EQ(tree.Read("Moby Dick_1/cover.jpg"), "picture of disc 1");
    EXPECT_EQ(tree.Read("Moby Dick_2/cover.jpg"), "picture of disc 3");

    ParsedTrack opener = Output("Moby Dick_2/01 3-57 Part.mp3");
    EXPECT_EQ(opener.Text("TALB"), "Moby Dick_2");
    EXPECT_EQ(opener.Text("TRCK"), "1");
    EXPECT_EQ(opener.TrailerTrack(), 1);
    EXPECT_EQ(opener.Text("TIT2"), "3-57 Moby Dick_2");
    EXPECT_EQ(Output("Moby Dick_1/254 3-56 Part.mp3").TrailerTrack(), 254);

    std::vector<int> progress = ProgressValues();
    ASSERT_EQ(progress.size(), 300u);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(progress[static_cast<std::size_t>(i)], i + 1);
    EXPECT_EQ(outcome.tracks, 300);
    // The user's title is the form's, whatever the folders' album titles became.
    EXPECT_EQ(settings.choices.title, "Moby Dick_1");
}

TEST_F(FolderWriterTest, UnsplitFolderNeverTakesA255thTrack) {
    // 99 + 99 + 56 tracks.
    for (int n = 0; n < 254; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "%02d T.mp3", n % 99 + 1);
        TrackBytes t;
        t.audio = std::string(4200, 'z');
        t.trailer = Trailer("", "", "", 0, 0);
        Put("Big Set Disc " + std::to_string(n / 99 + 1), name, t);
    }
    ASSERT_TRUE(session.Scan(tree.Path("Big Set Disc 1")).Completed());
    ASSERT_EQ(session.Set().FileCount(), 254);
    // A track that arrives once the merge has listed the set makes 255 on disk; the
    // merge places the 254 it listed and decided the folders for.
    ui.mergeOptions = [&](MergeOptionsForm& form) {
        tree.File("Big Set Disc 3/99 Late.mp3", tree.Read("Big Set Disc 1/01 T.mp3"));
        form.SetTitleText("Big Set");
        return true;
    };

    outcome = session.Merge(ui.cancel);

    EXPECT_FALSE(run.splitFolders);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Tracks("Big Set").size(), 254u);
    EXPECT_TRUE(tree.Exists("Big Set/merged"));
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Completed);
}

TEST_F(FolderWriterTest, StrayMp3FilesNeverSplitASetThatFits) {
    // 99 + 99 + 52 numbered tracks, and ten files that are no tracks.
    for (int n = 0; n < 250; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "%02d T.mp3", n % 99 + 1);
        Put("Big Set Disc " + std::to_string(n / 99 + 1), name);
    }
    for (int n = 0; n < 10; ++n)
        tree.File("Big Set Disc 1/Bonus " + std::to_string(n) + ".mp3");
    ui.mergeOptions = [](MergeOptionsForm& form) {
        form.SetTitleText("Big Set");
        return true;
    };

    ScanAndMerge("Big Set Disc 1");

    EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    EXPECT_FALSE(run.splitFolders);
    EXPECT_EQ(Tracks("Big Set").size(), 250u);
}

TEST_F(FolderWriterTest, OutputFolderNamedLikeADiscIsNeverMergedFrom) {
    // The title "Opera 2" matches the lookup of disc 2 ("Opera* 2") once its folder
    // exists; disc 2 is still the folder "Opera 02".
    for (const char* disc : {"Opera 01", "Opera 02"}) {
        Put(disc, "01 A.mp3");
        Put(disc, "02 B.mp3");
    }
    ui.mergeOptions = [](MergeOptionsForm& form) {
        form.SetTitleText("Opera 2");
        return true;
    };

    ScanAndMerge("Opera 01");

    ASSERT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    EXPECT_EQ(Tracks("Opera 2"), (std::vector<std::string>{"01 1-1 A.mp3", "02 1-2 B.mp3",
                                                           "03 2-1 A.mp3", "04 2-2 B.mp3"}));
    EXPECT_EQ(Output("Opera 2/03 2-1 A.mp3").audio, AudioOf("Opera 02/01 A.mp3"));
}

TEST_F(FolderWriterTest, CancelBetweenTracksFinishesTheRunningTrack) {
    for (const char* name : {"01 A.mp3", "02 B.mp3", "03 C.mp3"})
        Put("Moby Dick Disc 1", name);
    // Cancel arrives while track 2 is announced, that is while it is being copied.
    ui.onProgressUpdate = [&](int) {
        if (ui.progress.back().text == "Merging track  2 from \"Moby Dick Disc 1\"")
            ui.cancel.Request();
    };

    ScanAndMerge();

    EXPECT_EQ(Tracks("Moby Dick_1"), (std::vector<std::string>{"01 1-1 A.mp3", "02 1-2 B.mp3"}));
    // And the key file and the marker of a merge that did not finish, nothing else.
    EXPECT_EQ(tree.List("Moby Dick_1").size(), 4u);
    EXPECT_TRUE(tree.Exists("Moby Dick_1/.brambex-incomplete"));
    EXPECT_TRUE(OnlyMessage(ui, "Merge cancelled.", "", MessageKind::Information));
    EXPECT_FALSE(ui.progressOpen);
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Cancelled);
    EXPECT_EQ(outcome.tracks, 2);
    EXPECT_TRUE(session.HasSet());
}

TEST_F(FolderWriterTest, TracksWrittenAtTheSameTimeStopInOrder) {
    // Six tracks short enough for the codec to say so; the fourth is no file by the
    // time the merge begins. Whatever number of tracks is written at a time, the user
    // sees what a one-at-a-time merge shows: each track's line, messages and progress
    // in order, nothing named after the track where the merge stopped, and no temporary
    // file left.
    TrackBytes shortAudio = Usual("Moby Dick Disc 1", "01 A.mp3");
    shortAudio.audio = std::string(3000, 'a');
    for (const char* name : {"01 A.mp3", "02 B.mp3", "03 C.mp3", "05 E.mp3", "06 F.mp3"})
        Put("Moby Dick Disc 1", name, shortAudio);
    const std::string fourth = "Moby Dick Disc 1/04 D.mp3";
    const std::vector<std::string> firstThree = {".brambex-incomplete", "01 1-1 A.mp3",
                                                 "02 1-2 B.mp3", "03 1-3 C.mp3", "merged"};
    const std::string noFile = "Could not open input file (not a regular file)";
    std::error_code goneError;
    platform::native_file::KindOf(tree.Path(fourth), goneError);
    const std::string gone = WithReason("Could not open input file", goneError);
    struct Case {
        const char* name;
        const char* cancelAt;  // the progress message at which Cancel is pressed
        std::vector<std::string> messages;
        std::vector<std::string> output;
        std::vector<int> progress;
        bool deleted = false;  // the fourth is deleted rather than made a folder
    };
    const Case cases[] = {
        {"failure", nullptr, {noFile}, firstThree, {1, 2, 3}},
        {"deleted", nullptr, {gone}, firstThree, {1, 2, 3}, true},
        {"cancel",
         "Merging track  2 from \"Moby Dick Disc 1\"",
         {"Merge cancelled."},
         {".brambex-incomplete", "01 1-1 A.mp3", "02 1-2 B.mp3", "merged"},
         {1, 2}},
        {"cancel, then the failure",
         "Merging track  4 from \"Moby Dick Disc 1\"",
         {noFile},
         firstThree,
         {1, 2, 3}},
    };
    std::vector<std::string>& lines = ui.diagnostics;
    for (const Case& c : cases) {
        for (int jobs : {1, 2, 3}) {
            const std::string what = std::string(c.name) + ", " + std::to_string(jobs) + " jobs";
            std::filesystem::remove_all(tree.Path("Moby Dick_1"));
            ui.messages.clear();
            ui.progress.clear();
            ui.cancel.Clear();
            ui.mostWritingAtOnce = 0;
            std::filesystem::remove_all(tree.Path(fourth));
            Put("Moby Dick Disc 1", "04 D.mp3", shortAudio);
            ui.onProgressUpdate = [&](int) {
                // Another program puts a folder in its place after the check.
                if (std::filesystem::is_regular_file(testing::FsPath(tree.Path(fourth)))) {
                    std::filesystem::remove(tree.Path(fourth));
                    if (!c.deleted)
                        tree.Folder(fourth);
                }
                if (c.cancelAt && ui.progress.back().text == c.cancelAt)
                    ui.cancel.Request();
            };
            lines.clear();
            settings.choices.jobs = jobs;
            ScanAndMerge();

            EXPECT_EQ(ui.MessageTexts(), c.messages) << what;
            EXPECT_EQ(tree.List("Moby Dick_1"), c.output) << what;
            EXPECT_EQ(ProgressValues(), c.progress) << what;
            // Each track's line once, though the first is read for the defaults too.
            std::vector<std::string> expectedLines;
            // The output holds the marker and the key file beside its tracks.
            const std::size_t tracks = c.output.size() - 2;
            for (const char* name : {"01 A.mp3", "02 B.mp3", "03 C.mp3"}) {
                if (expectedLines.size() < tracks)
                    expectedLines.push_back(Native("Moby Dick Disc 1/" + std::string(name)) +
                                            ": Not enough MP3 data!");
            }
            EXPECT_EQ(lines, expectedLines) << what;
            int announced = 0;
            for (const ProgressEvent& e : ui.progress) {
                if (e.kind != ProgressEvent::Message || e.text.empty())
                    continue;
                EXPECT_EQ(e.text, "Merging track  " + std::to_string(++announced) +
                                      " from \"Moby Dick Disc 1\"")
                    << what;
            }
            EXPECT_TRUE(ui.writing.empty()) << what;
            EXPECT_LE(ui.mostWritingAtOnce, static_cast<std::size_t>(TrackPipeline::SlotsFor(jobs)))
                << what;
        }
    }
}

TEST_F(FolderWriterTest, CancelledOptionsCreateNothing) {
    Put("Moby Dick Disc 1", "01 A.mp3");
    ui.mergeOptions = [](MergeOptionsForm&) { return false; };

    ScanAndMerge();

    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(tree.Exists("Moby Dick_1"));
    EXPECT_TRUE(ui.progress.empty());
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Cancelled);
}

TEST_F(FolderWriterTest, NoSetSelectedRefusesToStart) {
    outcome = session.Merge(ui.cancel);
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Stopped);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Before merging, you must first select the folder\ncontaining the first disc of "
              "the set.");
    EXPECT_EQ(ui.messages[0].style, MessageKind::Warning);
    EXPECT_EQ(ui.mergeOptionsRuns, 0);
}

TEST_F(FolderWriterTest, UnknownPatternCodeLeavesNoPartialTrack) {
    Put("Moby Dick Disc 1", "01 A.mp3");
    Put("Moby Dick Disc 1", "02 B.mp3");
    ui.mergeOptions = [](MergeOptionsForm& form) {
        form.SetNameText("<Title>");
        return true;
    };

    ScanAndMerge();

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Unrecognized code: <Title> ignored.");
    EXPECT_EQ(tree.List("Moby Dick_1"),
              (std::vector<std::string>{".brambex-incomplete", "merged"}));
}

// File-size limits, links and pipes as these tests make them are POSIX's.
#ifndef _WIN32
TEST_F(FolderWriterTest, FailedWriteNamesTheFileAndLeavesNoPartialTrack) {
    Put("Moby Dick Disc 1", "01 Small.mp3");
    TrackBytes big = Usual("Moby Dick Disc 1", "02 Big.mp3");
    big.audio = std::string(200000, 'b');
    Put("Moby Dick Disc 1", "02 Big.mp3", big);
    Put("Moby Dick Disc 1", "03 After.mp3");
    // A file-size limit makes the big track's writes fail as a full disk would.
    std::optional<testing::FileSizeLimit> limit;
    ui.onProgressUpdate = [&](int) {
        if (ui.progress.back().text == "Merging track  2 from \"Moby Dick Disc 1\"")
            limit.emplace(100000);
    };

    ScanAndMerge();
    limit.reset();

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("Could not write output file (", 0), 0u)
        << ui.messages[0].text;
    EXPECT_EQ(ui.messages[0].caption, "Moby Dick_1/02 1-2 Big.mp3");
    // A full disk leaves the folder marked as holding a merge that did not finish.
    EXPECT_EQ(tree.List("Moby Dick_1"),
              (std::vector<std::string>{".brambex-incomplete", "01 1-1 Small.mp3", "merged"}));
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Stopped);
    EXPECT_TRUE(session.HasSet());
}
#endif

TEST_F(FolderWriterTest, OutputThatCannotBeOpenedSaysWhy) {
    Put("Moby Dick Disc 1", "01 A.mp3");
    // The output folder goes away between its preparation and the track's copy.
    ui.onProgressUpdate = [&](int) {
        if (ui.progress.back().text == "Merging track  1 from \"Moby Dick Disc 1\"")
            std::filesystem::remove_all(tree.Path("Moby Dick_1"));
    };

    ScanAndMerge();

    EXPECT_TRUE(OnlyMessage(ui, "Could not open output file (No such file or directory)",
                            Native("Moby Dick_1/01 1-1 A.mp3"), MessageKind::Notice));
}

class RecordedPlan : public DryRun {
  public:
    void OutputFolder(const std::string& folder, const std::string& discFolder,
                      const std::vector<std::string>& pictures) override {
        folders.push_back(folder + " <- " + discFolder + " " + std::to_string(pictures.size()));
    }
    void Track(const PlannedTrack& track) override { tracks.push_back(track); }
    std::vector<std::string> folders;
    std::vector<PlannedTrack> tracks;
};

// Cuts the named input short at the moment the codec, having taken the input's size,
// reports that its audio is short: the copy that follows then finds less than it
// expects, as when a file shrinks while it is merged.
struct ShrinkOnShortAudio {
    std::string track;
    std::string path;
    std::uintmax_t keep = 0;

    void operator()(std::string_view line, std::string_view file) const {
        if (line == "Not enough MP3 data!" && file == track) {
            std::error_code ec;
            std::filesystem::resize_file(path, keep, ec);
            EXPECT_FALSE(ec) << ec.message();
        }
    }
};

TEST_F(FolderWriterTest, InputThatShrinksWhileCopiedStopsWithoutPartialTrack) {
    // Both tracks have less audio than a track should; only the second one shrinks.
    TrackBytes shortAudio = Usual("Moby Dick Disc 1", "01 Short.mp3");
    shortAudio.audio = std::string(3000, 'a');
    Put("Moby Dick Disc 1", "01 Short.mp3", shortAudio);
    Put("Moby Dick Disc 1", "02 Shrinks.mp3", shortAudio);
    Put("Moby Dick Disc 1", "03 After.mp3");
    const std::string input = Native("Moby Dick Disc 1/02 Shrinks.mp3");

    for (bool dryRun : {false, true}) {
        Put("Moby Dick Disc 1", "02 Shrinks.mp3", shortAudio);
        ShrinkOnShortAudio shrink;
        shrink.track = input;
        shrink.path = tree.Path(input);
        shrink.keep = shortAudio.Tag().size() + 1000;
        ui.onDiagnostic = shrink;
        ui.diagnostics.clear();
        RecordedPlan plan;
        ui.messages.clear();
        ui.answers = {Answer::Yes};
        ASSERT_TRUE(session.Scan(tree.Path("Moby Dick Disc 1")).Completed());
        // The input is cut from the codec's line, which is held back until the track's
        // turn when tracks are written at the same time.
        session.Settings().choices.jobs = 1;
        outcome = session.Merge(ui.cancel, dryRun ? &plan : nullptr);

        // The short audio of an intact input is reported and merged all the same.
        EXPECT_EQ(ui.diagnostics.at(0),
                  Native("Moby Dick Disc 1/01 Short.mp3") + ": Not enough MP3 data!")
            << dryRun;
        ASSERT_FALSE(ui.messages.empty()) << dryRun;
        EXPECT_EQ(ui.messages.back().text, "Could not read input file (the file ended early)");
        EXPECT_EQ(ui.messages.back().caption, input);
        EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Stopped) << dryRun;
        if (dryRun) {
            ASSERT_EQ(plan.tracks.size(), 1u);
            EXPECT_EQ(plan.tracks[0].inputPath, Native("Moby Dick Disc 1/01 Short.mp3"));
        } else {
            EXPECT_EQ(
                tree.List("Moby Dick_1"),
                (std::vector<std::string>{".brambex-incomplete", "01 1-1 Short.mp3", "merged"}));
            EXPECT_EQ(Output("Moby Dick_1/01 1-1 Short.mp3").audio, shortAudio.audio);
        }
    }
}

#ifndef _WIN32
TEST_F(FolderWriterTest, LinkWhereTheTrackIsWrittenIsNotFollowed) {
    Put("Moby Dick Disc 1", "01 A.mp3");
    tree.File("Moby Dick_1/merged");
    tree.File("Elsewhere.txt", "the user's file");
    ASSERT_EQ(symlink(tree.Path("Elsewhere.txt").c_str(),
                      tree.Path("Moby Dick_1/.brambex-track.part").c_str()),
              0);
    ui.answers = {Answer::Yes};

    ScanAndMerge();

    ASSERT_EQ(ui.messages.size(), 1u);  // only the question whether to start over
    EXPECT_EQ(tree.Read("Elsewhere.txt"), "the user's file");
    EXPECT_EQ(tree.List("Moby Dick_1"), (std::vector<std::string>{"01 1-1 A.mp3", "merged"}));
    EXPECT_EQ(Output("Moby Dick_1/01 1-1 A.mp3").audio, AudioOf("Moby Dick Disc 1/01 A.mp3"));
}
#endif

TEST_F(FolderWriterTest, NameTooLongForTheOutputLosesTheEndOfItsTitle) {
    // New names would be 259 and 256 bytes; the title gives way, never inside a
    // character (the second title's two-byte characters end one byte past the limit).
    const std::string longest = "01 " + std::string(248, 'n') + ".mp3";
    std::string accents;
    for (int i = 0; i < 121; ++i)
        accents += "\xC3\xA9";
    const std::string wide = "02 e" + accents + "\xC3\xA9.mp3";
    Put("Moby Dick Disc 1", longest);
    Put("Moby Dick Disc 1", wide);

    ScanAndMerge();

    ASSERT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    EXPECT_EQ(Tracks("Moby Dick_1"),
              (std::vector<std::string>{"01 1-1 " + std::string(244, 'n') + ".mp3",
                                        "02 1-2 e" + accents + ".mp3"}));
}

#ifndef _WIN32
TEST_F(FolderWriterTest, TrackThatIsNoFileIsRefusedBeforeAnythingIsWritten) {
    Put("Moby Dick Disc 1", "01 A.mp3");
    // None of these reads as a file: the folder fails, the dangling link does not open,
    // and a pipe (or a link to one) would wait for a writer forever, a device may never
    // end (the alarm ends a test that hangs).
    const std::pair<const char*, int (*)(const char*)> kinds[] = {
        {"02 Folder.mp3", [](const char* path) { return mkdir(path, 0777); }},
        {"02 Gone.mp3", [](const char* path) { return symlink("nowhere", path); }},
        {"02 Pipe.mp3", [](const char* path) { return mkfifo(path, 0666); }},
        {"02 Piped.mp3",
         [](const char* path) {
             return mkfifo((std::string(path) + ".fifo").c_str(), 0666) |
                    symlink("02 Piped.mp3.fifo", path);
         }},
        {"02 Zero.mp3", [](const char* path) { return symlink("/dev/zero", path); }},
    };
    alarm(60);
    bool first = true;
    for (const auto& [name, make] : kinds) {
        const std::string input = "Moby Dick Disc 1/" + std::string(name);
        ASSERT_EQ(make(tree.Path(input).c_str()), 0) << name;
        ui.messages.clear();
        if (first)
            ScanAndMerge();
        else
            outcome = session.Merge(ui.cancel);  // a failed merge leaves the set selected
        first = false;

        ASSERT_EQ(ui.messages.size(), 1u) << name;
        const std::string named = "The track \"" + input + "\"";
        EXPECT_EQ(ui.messages[0].text,
                  name == std::string("02 Gone.mp3")
                      ? named + " cannot be read (No such file or directory)"
                      : named + " is not a file (a folder, a pipe or a device).");
        EXPECT_EQ(ui.messages[0].style, MessageKind::Error);
        EXPECT_FALSE(tree.Exists("Moby Dick_1")) << name;
        std::filesystem::remove(tree.Path(input));
    }
    alarm(0);
}
#endif

TEST_F(FolderWriterTest, DryRunPlansWithoutWriting) {
    Put("Moby Dick Disc 1", "01 A.mp3");
    Put("Moby Dick Disc 2", "01 B.mp3");
    tree.File("Moby Dick Disc 1/front.jpg", "jpeg");
    RecordedPlan plan;

    ASSERT_TRUE(session.Scan(tree.Path("Moby Dick Disc 1")).Completed());
    outcome = session.Merge(ui.cancel, &plan);

    EXPECT_FALSE(tree.Exists("Moby Dick_1"));
    EXPECT_EQ(plan.folders, (std::vector<std::string>{"Moby Dick_1 <- Moby Dick Disc 1 1"}));
    ASSERT_EQ(plan.tracks.size(), 2u);
    const PlannedTrack& b = plan.tracks[1];
    EXPECT_EQ(b.inputPath, Native("Moby Dick Disc 2/01 B.mp3"));
    EXPECT_EQ(b.outputPath, Native("Moby Dick_1/02 2-1 B.mp3"));
    std::vector<std::string> frames;
    for (const PlannedFrame& f : b.frames)
        frames.push_back(f.id + "=" + f.text);
    EXPECT_EQ(frames, (std::vector<std::string>{"TALB=Moby Dick_1", "TPE1=Herman Melville",
                                                "TPE2=Herman Melville", "TCON=Audiobook", "TRCK=2",
                                                "TIT2=2-1 Moby Dick_1"}));
    EXPECT_EQ(b.trailerTitle, "2-1 Moby Dick_1");
    EXPECT_EQ(b.trailerTrack, 2);
    EXPECT_EQ(b.trailerGenre, 12);
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Completed);
    EXPECT_EQ(outcome.tracks, 2);
}

TEST_F(FolderWriterTest, RunningNumbersAreAsWideAsTheLargestInTheirFolder) {
    for (int n = 1; n <= 99; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "%02d T.mp3", n);
        Put("Moby Dick Disc 1", name);
    }
    // 99 tracks keep two digits; a 100th makes every number three digits wide.
    for (bool hundred : {false, true}) {
        if (hundred)
            Put("Moby Dick Disc 2", "01 Last.mp3");
        RecordedPlan plan;
        ASSERT_TRUE(session.Scan(tree.Path("Moby Dick Disc 1")).Completed());
        outcome = session.Merge(ui.cancel, &plan);
        ASSERT_EQ(plan.tracks.size(), hundred ? 100u : 99u);
        EXPECT_EQ(plan.tracks[0].outputPath,
                  Native(hundred ? "Moby Dick_1/001 1-1 T.mp3" : "Moby Dick_1/01 1-1 T.mp3"));
        EXPECT_EQ(plan.tracks[98].outputPath,
                  Native(hundred ? "Moby Dick_1/099 1-99 T.mp3" : "Moby Dick_1/99 1-99 T.mp3"));
    }
    // What is written is what was planned, and its order by name is the order of play.
    ScanAndMerge();
    const std::vector<std::string> written = Tracks("Moby Dick_1");
    ASSERT_EQ(written.size(), 100u);
    EXPECT_EQ(written.front(), "001 1-1 T.mp3");
    EXPECT_EQ(written.back(), "100 2-1 Last.mp3");
}

TEST_F(FolderWriterTest, TagKindsArePlannedAndCounted) {
    Put("Moby Dick Disc 1", "01 A.mp3");
    tree.File("Moby Dick Disc 1/02 B.mp3",
              testing::PaddedTag(testing::Frame24("TIT2",
                                                  "\x03"
                                                  "B") +
                                     testing::Frame24("COMM", std::string("\x03"
                                                                          "eng\0note",
                                                                          9)) +
                                     testing::Frame24("RVA2", "x"),
                                 64, 4) +
                  AudioOf("b"));
    tree.File("Moby Dick Disc 1/03 C.mp3", AudioOf("c"));
    RecordedPlan plan;
    ASSERT_TRUE(session.Scan(tree.Path("Moby Dick Disc 1")).Completed());
    outcome = session.Merge(ui.cancel, &plan);
    ASSERT_EQ(plan.tracks.size(), 3u);
    EXPECT_EQ(plan.tracks[0].tag, PlannedTag::Rewritten);
    EXPECT_EQ(plan.tracks[1].tag, PlannedTag::ConvertedFromV24);
    EXPECT_EQ(plan.tracks[2].tag, PlannedTag::New);
    // The track's own frames are planned as kept, the merge's as set.
    std::vector<std::string> frames;
    for (const PlannedFrame& f : plan.tracks[1].frames)
        frames.push_back(f.id + (f.set ? "=" + f.text : " kept"));
    EXPECT_EQ(frames, (std::vector<std::string>{"TIT2=1-2 Moby Dick_1", "COMM kept",
                                                "TCON=Audiobook", "TRCK=2", "TALB=Moby Dick_1",
                                                "TPE2=Herman Melville", "TPE1=Herman Melville"}));

    ScanAndMerge();
    EXPECT_EQ(run.convertedTags, 1);
    EXPECT_EQ(run.newTags, 1);
    ParsedTrack untagged = Output("Moby Dick_1/03 1-3 C.mp3");
    EXPECT_EQ(untagged.Text("TALB"), "Moby Dick_1");
    EXPECT_EQ(untagged.audio, AudioOf("c"));
}

}  // namespace
}  // namespace brambex
