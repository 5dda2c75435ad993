#include "options/merge_preparation.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "options/merge_options_form.h"
#include "options/merge_settings.h"
#include "platform/file_system.h"
#include "support/tag_bytes.h"
#include "support/temp_tree.h"

namespace brambex {
namespace {

using testing::FillerAudio;
using testing::PaddedTag;
using testing::TextFrame;
using testing::Trailer;

// The ID3v1.1 trailer of the tracks here: year 2001, track 1.
std::string Id3v1Trailer(const std::string& title, const std::string& artist,
                         const std::string& album, int genre) {
    return Trailer(title, artist, album, 1, genre, "2001");
}

class MergePreparationTest : public ::testing::Test {
  protected:
    std::string Track(const std::string& frames, unsigned char version = 3,
                      std::size_t audio = 9000) {
        return folder.File("01 Track.mp3", PaddedTag(frames, 64, version) + FillerAudio(audio) +
                                               Id3v1Trailer("Trailer Title", "Trailer Artist",
                                                            "Trailer Album", 101));
    }

    // The preparation with the dialog run by mergeOptions (confirming the form as it
    // stands unless a test says otherwise) and its messages kept in messages.
    Preparation Prepare(const std::string& path) {
        return PrepareMergeSettings(
            platform::SystemFiles(), settings, mergeOptions,
            [this](const Message& m) { messages.push_back(m); }, path);
    }

    testing::TempTree folder;
    MergeSettings settings;
    std::function<bool(MergeOptionsForm&)> mergeOptions = [](MergeOptionsForm&) { return true; };
    std::vector<Message> messages;
};

const std::string AllFour = TextFrame("TALB", "Dune Disc 1") + TextFrame("TPE1", "Reader") +
                            TextFrame("TPE2", "Frank Herbert") + TextFrame("TCON", "(101)") +
                            TextFrame("TIT2", "Chapter 1");

TEST_F(MergePreparationTest, FramesWinOverTrailer) {
    ReadFirstTrackTags(platform::SystemFiles(), settings, Track(AllFour));
    EXPECT_EQ(settings.albumTitle, "Dune Disc 1");
    EXPECT_EQ(settings.artist, "Frank Herbert");
    EXPECT_EQ(settings.genre, "(101)");
    EXPECT_EQ(settings.titleTemplate, "Chapter 1");
}

TEST_F(MergePreparationTest, MissingFramesComeFromTrailer) {
    ReadFirstTrackTags(platform::SystemFiles(), settings,
                       Track(TextFrame("TPE1", "Lead") + TextFrame("TALB", "Dune") +
                             TextFrame("TALB", "Dune Messiah")));
    EXPECT_EQ(settings.albumTitle, "Dune Messiah");  // a repeated frame replaces
    EXPECT_EQ(settings.artist, "Lead");              // the artist stands in for the band
    EXPECT_EQ(settings.genre, "(101)");
    EXPECT_EQ(settings.titleTemplate, "Trailer Title");
}

TEST_F(MergePreparationTest, EveryTagKindIsRead) {
    const struct {
        const char* kind;
        std::string file;
        const char* artist;
    } cases[] = {
        {"ID3v2.4",
         PaddedTag(testing::Frame24("TALB",
                                    "\x03"
                                    "Dune Disc 1") +
                       testing::Frame24("TPE1",
                                        "\x03"
                                        "Frank Herbert") +
                       testing::Frame24("TCON", std::string("\x03"
                                                            "Audiobook\0Sci-Fi",
                                                            18)) +
                       testing::Frame24("TIT2",
                                        "\x03"
                                        "Chapter 1"),
                   64, 4),
         "Frank Herbert"},
        {"ID3v2.2",
         PaddedTag(testing::Frame22("TAL", std::string("\0Dune Disc 1", 12)) +
                       testing::Frame22("TP1", std::string("\0Reader", 7)) +
                       testing::Frame22("TP2", std::string("\0Frank Herbert", 14)) +
                       testing::Frame22("TCO", std::string("\0Audiobook/Sci-Fi", 18)) +
                       testing::Frame22("TT2", std::string("\0Chapter 1", 10)),
                   64, 2),
         "Frank Herbert"},
    };
    for (const auto& c : cases) {
        const std::string path = folder.File("02 x.mp3", c.file + FillerAudio(9000));
        ReadFirstTrackTags(platform::SystemFiles(), settings, path);
        EXPECT_EQ(settings.albumTitle, "Dune Disc 1") << c.kind;
        EXPECT_EQ(settings.artist, c.artist) << c.kind;
        EXPECT_EQ(settings.genre, "Audiobook/Sci-Fi") << c.kind;
        EXPECT_EQ(settings.titleTemplate, "Chapter 1") << c.kind;
    }
    // Without any ID3v2 tag the ID3v1 trailer gives all four.
    ReadFirstTrackTags(platform::SystemFiles(), settings,
                       folder.File("02 x.mp3", FillerAudio(9000) + Id3v1Trailer("T", "A", "B", 1)));
    EXPECT_EQ(settings.albumTitle, "B");
    EXPECT_EQ(settings.artist, "A");
    EXPECT_EQ(settings.genre, "(1)");
    EXPECT_EQ(settings.titleTemplate, "T");
}

TEST_F(MergePreparationTest, UnusableFilesGiveEmptyTextsAndTheirReason) {
    std::vector<std::pair<std::string, std::error_code>> paths = {
        {folder.Root() + "/missing.mp3", platform::SystemError(ENOENT)},
        {folder.Folder("01 x.mp3"), platform::SystemError(EISDIR)}};
#ifndef _WIN32
    // A pipe would wait for a writer forever (the alarm ends a test that hangs).
    paths.emplace_back(folder.Root() + "/04 Pipe.mp3", platform::NotARegularFile());
    ASSERT_EQ(mkfifo(paths.back().first.c_str(), 0666), 0);
    alarm(60);
#endif
    for (const auto& [path, error] : paths) {
        settings.albumTitle = settings.artist = settings.genre = settings.titleTemplate = "old";
        ReadFirstTrackTags(platform::SystemFiles(), settings, path);
        EXPECT_EQ(settings.albumTitle, "") << path;
        EXPECT_EQ(settings.artist, "") << path;
        EXPECT_EQ(settings.genre, "") << path;
        EXPECT_EQ(settings.titleTemplate, "") << path;
        EXPECT_EQ(settings.firstTrackError, error) << path;
        EXPECT_EQ(settings.firstTrackPath, path);
    }
    ReadFirstTrackTags(platform::SystemFiles(), settings, Track(AllFour));
    EXPECT_FALSE(settings.firstTrackError);
#ifndef _WIN32
    alarm(0);
#endif
    // Without an ID3v1 trailer the last bytes of the audio give no texts, and the genre
    // is the reference for "none".
    std::string noTrailer =
        folder.File("03 x.mp3", PaddedTag(TextFrame("TALB", "Dune"), 64) + FillerAudio(9000));
    ReadFirstTrackTags(platform::SystemFiles(), settings, noTrailer);
    EXPECT_EQ(settings.albumTitle, "Dune");
    EXPECT_EQ(settings.artist, "");
    EXPECT_EQ(settings.titleTemplate, "");
    EXPECT_EQ(settings.genre, "(255)");
}

TEST_F(MergePreparationTest, LongTextsAreCut) {
    // The trailer holds ISO-8859-1: 30 bytes of "\xE9" are 30 characters "é".
    std::string path = folder.File(
        "03 x.mp3", PaddedTag(TextFrame("TALB", std::string(1000, 'a')), 64) + FillerAudio(9000) +
                        Id3v1Trailer(std::string(40, '\xE9'), "\xC4rtist", "", 255));
    ReadFirstTrackTags(platform::SystemFiles(), settings, path);
    EXPECT_EQ(settings.albumTitle, std::string(511, 'a'));
    std::string accents;
    for (int i = 0; i < 30; ++i)
        accents += "é";
    EXPECT_EQ(settings.titleTemplate, accents);
    EXPECT_EQ(settings.artist, "Ärtist");
    EXPECT_EQ(settings.genre, "(255)");
}

TEST_F(MergePreparationTest, ConfirmedTitleIsTheFormsAsTyped) {
    // Where the output goes (a split, numbered folders) is the plan's to decide.
    const char* titles[] = {nullptr, "Live_2012", "Opera_2", "Best_of", "Plain_"};
    std::string path = Track(AllFour);
    for (const char* title : titles) {
        messages.clear();
        mergeOptions = [&](MergeOptionsForm& form) {
            if (title)
                form.SetTitleText(title);
            return !form.Refusal();
        };
        ASSERT_EQ(Prepare(path), Preparation::Confirmed);
        EXPECT_EQ(settings.choices.title, title ? title : "Dune_1");
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(MergePreparationTest, CancelLeavesEarlierChoices) {
    settings.choices.title = "Earlier_3";
    settings.choices.keepArtist = settings.choices.keepGenre = settings.choices.keepTrackNames =
        true;
    mergeOptions = [](MergeOptionsForm& form) {
        form.SetTitleText("Changed");
        form.SetKeepArtist(false);
        return false;
    };
    EXPECT_EQ(Prepare(Track(AllFour)), Preparation::Cancelled);
    EXPECT_EQ(settings.choices.title, "Earlier_3");
    EXPECT_TRUE(settings.choices.keepArtist);
    EXPECT_TRUE(settings.choices.keepGenre);
    EXPECT_TRUE(settings.choices.keepTrackNames);
    EXPECT_FALSE(settings.choices.keepAlbumTitle);
    // The prefilled texts stay.
    EXPECT_EQ(settings.albumTitle, "Dune Disc 1");
    EXPECT_TRUE(messages.empty());
}

TEST_F(MergePreparationTest, ForbiddenTitleNeverReachesSettings) {
    // A front end that returns without running the title check.
    settings.choices.title = "Earlier";
    mergeOptions = [](MergeOptionsForm& form) {
        form.SetTitleText("../../etc");
        return true;
    };
    EXPECT_EQ(Prepare(Track(AllFour)), Preparation::Refused);
    EXPECT_EQ(settings.choices.title, "Earlier");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Warning);
}

TEST_F(MergePreparationTest, ReadsTagsWrittenByAnIndependentTool) {
#ifdef _WIN32
    GTEST_SKIP() << "the independent tool runs on the build machine";
#endif
    if (std::system("/usr/bin/python3 -c 'import mutagen' 2>/dev/null") != 0) {
        GTEST_SKIP() << "mutagen for /usr/bin/python3 is not installed";
    }
    std::string path = folder.File("04 x.mp3", FillerAudio(9000));
    std::string script =
        "from mutagen.id3 import ID3, TALB, TPE2, TCON, TIT2\n"
        "t = ID3()\n"
        "t.add(TALB(encoding=1, text='Ærø Disc 1'))\n"
        "t.add(TPE2(encoding=1, text='Zoë'))\n"
        "t.add(TCON(encoding=0, text='(17)'))\n"
        "t.add(TIT2(encoding=1, text='Første'))\n"
        "t.save('" +
        path + "', v2_version=3)\n";
    std::string scriptPath = folder.File("tag.py", script);
    ASSERT_EQ(std::system(("/usr/bin/python3 " + scriptPath).c_str()), 0);

    settings.choices.audioBookMode = false;
    mergeOptions = [](MergeOptionsForm&) { return true; };
    ASSERT_EQ(Prepare(path), Preparation::Confirmed);
    EXPECT_EQ(settings.choices.title, "Ærø_1");
    EXPECT_EQ(settings.choices.artist, "Zoë");
    EXPECT_EQ(settings.choices.genre, "Rock");
    EXPECT_EQ(settings.choices.titleTemplate, "<song>");
    EXPECT_TRUE(settings.choices.keepTrackNames);
}

}  // namespace
}  // namespace brambex
