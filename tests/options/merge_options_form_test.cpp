#include "options/merge_options_form.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "options/merge_settings.h"
#include "platform/file_system.h"

namespace brambex {
namespace {

struct GenreCase {
    const char* text;
    const char* shown;
};

TEST(GenreDisplayNameTest, ReadsDecimalReferences) {
    const GenreCase cases[] = {
        {"(17)", "Rock"},
        {"(17)Rock and more", "Rock"},
        {"  ( \t17 )", "Rock"},
        {"(+17)", "Rock"},
        {"(010)", "New Age"},  // decimal, however many zeros lead
        {"(0x11)", "(0x11)"},
        {"(0X7d)", "(0X7d)"},
        {"(0)", "Blues"},
        {"(-0)", "Blues"},
        {"(125)", "Dance Hall"},
        {"(126)", "(126)"},
        {"(255)", "(255)"},
        {"(-1)", "(-1)"},
        {"(08)", "Jazz"},
        {"(0x)", "(0x)"},
        {"(- 17)", "(- 17)"},
        {"(17", "(17"},
        {"()", "()"},
        {"17", "17"},
        {"Rock", "Rock"},
        {"", ""},
        {"(99999999999999999999)", "(99999999999999999999)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GenreDisplayName(c.text), c.shown) << c.text;
    }
}

class MergeOptionsFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.albumTitle = "Moby Dick Disc 1";
        settings.artist = "Herman Melville";
        settings.genre = "(17)";
        settings.titleTemplate = "Chapter 1";
    }
    MergeOptionsForm& Open(bool books) {
        settings.choices.audioBookMode = books;
        form.SetUp();
        return form;
    }

    // "Start Merge": true when the form may close, else false with its refusal kept.
    bool MayClose() {
        std::optional<Message> refusal = form.Refusal();
        if (refusal)
            refusals.push_back(*refusal);
        return !refusal;
    }

    MergeSettings settings;
    MergeOptionsForm form{settings};
    std::vector<Message> refusals;
};

TEST_F(MergeOptionsFormTest, ProposedTitleDropsDiscEndingAndMarksFirstFolder) {
    const GenreCase cases[] = {
        {"Moby Dick Disc 1", "Moby Dick_1"},
        {"Moby Dick, disk 01", "Moby Dick,_1"},
        {"Moby Dick DISC 01", "Moby Dick_1"},
        {"AC/DC Live", "AC-DC Live_1"},
        {"a\\b:c*d?e\"f<g>h|i", "a-b-c-d-e-f-g-h-i_1"},
        {"", "_1"},
        {"Opera Disc 10", "Opera Disc 10_1"},
        {"A Disc 1 B Disc 1", "A Disc 1 B_1"},
        {"Dune Disc 1 Disc 01", "Dune Disc 1_1"},
        {"Zürich Disk 1", "Zürich_1"},
        {"Moby Dick (Disc 1)", "Moby Dick_1"},
        {"Moby Dick [Disc 1]", "Moby Dick_1"},
        {"Moby Dick - Disc 1", "Moby Dick_1"},
        {"Moby Dick CD1", "Moby Dick_1"},
        {"Moby Dick (CD 01)", "Moby Dick_1"},
        {"Harbour Lights 01", "Harbour Lights_1"},
        {"Opus 1", "Opus 1_1"},  // a bare one-digit number may be the name's own
        {"Moby Dick (Disc 2)", "Moby Dick (Disc 2)_1"},
        {"  Walden Disc 1 ", "Walden_1"},
        {"Walden   Disc 01", "Walden_1"},
    };
    for (const auto& c : cases) {
        settings.albumTitle = c.text;
        Open(true);
        EXPECT_EQ(form.Title().text, c.shown) << c.text;
    }
}

TEST_F(MergeOptionsFormTest, TheSessionsProposalWinsUntilATitleIsTyped) {
    settings.albumTitle = "";
    settings.proposedTitle = "Walden_1";
    Open(true);
    EXPECT_EQ(form.Title().text, "Walden_1");
    EXPECT_TRUE(form.TitleFromFolder());
    form.ChooseMusic();  // a type applied afresh proposes the same title
    EXPECT_EQ(form.Title().text, "Walden_1");
    form.SetTitleText("Typed");
    EXPECT_FALSE(form.TitleFromFolder());
    form.Confirm();
    EXPECT_EQ(settings.choices.title, "Typed");
}

// A book written as one file has no numbered folders for "_1" to begin.
TEST_F(MergeOptionsFormTest, AOneFileFormatProposesTheTitleWithoutAFolderNumber) {
    settings.choices.format = OutputFormat::Mp3Book;
    Open(true);
    EXPECT_EQ(form.Title().text, "Moby Dick");
    settings.albumTitle = "Opus 1";
    settings.proposedTitle = "Walden_1";
    form.ChooseMusic();
    EXPECT_EQ(form.Title().text, "Walden");
    EXPECT_TRUE(form.TitleFromFolder());
    settings.proposedTitle.clear();
    form.ChooseMusic();
    EXPECT_EQ(form.Title().text, "Opus 1");
    // Choosing another format re-proposes a title still as proposed, never a typed one.
    form.SetFormat(OutputFormat::FolderOfTracks);
    EXPECT_EQ(form.Title().text, "Opus 1_1");
    form.SetTitleText("Typed");
    form.SetFormat(OutputFormat::Mp3Book);
    EXPECT_EQ(form.Title().text, "Typed");
}

TEST_F(MergeOptionsFormTest, FirstViewOfMusicCds) {
    Open(false);
    EXPECT_TRUE(form.MusicChecked());
    EXPECT_FALSE(form.AudioBooksChecked());
    // Shown as typed text: the list is filled only after the mode's text went in.
    EXPECT_EQ(form.Genre().text, "Rock");
    EXPECT_FALSE(form.GenreSelection().has_value());
    EXPECT_FALSE(form.Genre().enabled);
    EXPECT_EQ(form.Title().text, "Moby Dick_1");
    EXPECT_TRUE(form.Title().enabled);
    EXPECT_EQ(form.Artist().text, "Herman Melville");
    EXPECT_FALSE(form.Artist().enabled);
    EXPECT_EQ(form.Name().text, "<song>");
    EXPECT_FALSE(form.Name().enabled);
    EXPECT_TRUE(form.KeepGenre().checked);
    EXPECT_FALSE(form.KeepAlbumTitle().checked);
    EXPECT_TRUE(form.KeepArtist().checked);
    EXPECT_TRUE(form.KeepTrackNames().checked);
    EXPECT_EQ(form.KeepGenre().caption, "Keep the current genre");
    EXPECT_EQ(form.KeepAlbumTitle().caption, "Keep the current album title");
    EXPECT_EQ(form.KeepArtist().caption, "Keep the current artist");
    EXPECT_EQ(form.KeepTrackNames().caption, "Keep the current song names");
    EXPECT_EQ(form.TitleGroupCaption(), "Album title (and output folder name)");
    EXPECT_EQ(form.ArtistGroupCaption(), "Artist");
    EXPECT_EQ(form.NameGroupCaption(), "Song name");
}

// A form shared by a library's sets offers no title or artist, and says why in the
// words of the type of CDs.
TEST_F(MergeOptionsFormTest, ASharedFormSaysEachSetKeepsItsOwnTitleAndArtist) {
    Open(true);
    EXPECT_EQ(form.SharedNote(), "");
    form.ShareAmongSets();
    EXPECT_EQ(form.SharedNote(), "Each set keeps its own title and author, from its first track.");
    form.ChooseMusic();
    EXPECT_EQ(form.SharedNote(), "Each set keeps its own title and artist, from its first track.");
}

TEST_F(MergeOptionsFormTest, MusicShowsNoGenreForAnUntaggedTrack) {
    settings.genre = "(255)";
    Open(false);
    EXPECT_EQ(form.Genre().text, "");
    form.SetKeepGenre(false);
    EXPECT_EQ(form.Genre().text, "");
    EXPECT_FALSE(form.GenreSelection().has_value());
}

TEST_F(MergeOptionsFormTest, FirstViewOfAudioBooks) {
    Open(true);
    EXPECT_TRUE(form.AudioBooksChecked());
    EXPECT_EQ(form.Genre().text, "Audiobook");
    EXPECT_FALSE(form.GenreSelection().has_value());
    EXPECT_EQ(form.Name().text, "<disc>-<track> <book>");
    for (const FieldState* f : {&form.Genre(), &form.Title(), &form.Artist(), &form.Name()}) {
        EXPECT_TRUE(f->enabled);
    }
    for (const CheckState* c :
         {&form.KeepGenre(), &form.KeepAlbumTitle(), &form.KeepArtist(), &form.KeepTrackNames()}) {
        EXPECT_FALSE(c->checked) << c->caption;
    }
    EXPECT_EQ(form.KeepGenre().caption, "Keep the current genre");
    EXPECT_EQ(form.KeepAlbumTitle().caption, "Keep the current book title");
    EXPECT_EQ(form.KeepArtist().caption, "Keep the current author");
    EXPECT_EQ(form.KeepTrackNames().caption, "Keep the current track names");
    EXPECT_EQ(form.TitleGroupCaption(), "Book title (and output folder name)");
    EXPECT_EQ(form.ArtistGroupCaption(), "Author");
    EXPECT_EQ(form.NameGroupCaption(), "Track name");
}

TEST_F(MergeOptionsFormTest, GenreListHoldsEveryGenreAlphabetically) {
    Open(true);
    const auto& list = form.GenreList();
    ASSERT_EQ(list.size(), 126u);
    EXPECT_EQ(list.front().name, "A capella");
    EXPECT_EQ(list.front().number, 123);
    std::vector<bool> seen(126, false);
    for (std::size_t i = 0; i < list.size(); ++i) {
        seen.at(static_cast<std::size_t>(list[i].number)) = true;
        if (i > 0) {
            std::string a = list[i - 1].name, b = list[i].name;
            for (auto* s : {&a, &b})
                for (char& ch : *s)
                    ch = static_cast<char>(std::tolower(ch));
            EXPECT_LT(a, b);
        }
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 126);
}

TEST_F(MergeOptionsFormTest, UntouchedGenreIsStoredAsTextButPickedGenreAsReference) {
    Open(false);
    form.Confirm();
    EXPECT_EQ(settings.choices.genre, "Rock");

    settings.genre = "(17)";
    Open(false);
    ASSERT_TRUE(form.PickGenreNumber(17));
    EXPECT_EQ(form.Genre().text, "Rock");
    form.Confirm();
    EXPECT_EQ(settings.choices.genre, "(17)");
}

TEST_F(MergeOptionsFormTest, KeepGenreToggleInAudioBooksDropsPickedGenre) {
    Open(true);
    ASSERT_TRUE(form.PickGenreNumber(8));
    EXPECT_EQ(form.Genre().text, "Jazz");
    form.SetKeepGenre(true);
    // Checked: the track's own genre, now matched against the filled list.
    EXPECT_EQ(form.Genre().text, "Rock");
    EXPECT_FALSE(form.Genre().enabled);
    form.SetKeepGenre(false);
    EXPECT_EQ(form.Genre().text, "Audiobook");
    EXPECT_FALSE(form.GenreSelection().has_value());
    EXPECT_TRUE(form.Genre().enabled);
    form.Confirm();
    EXPECT_EQ(settings.choices.genre, "Audiobook");
    EXPECT_FALSE(settings.choices.keepGenre);
}

TEST_F(MergeOptionsFormTest, PuttingTextSelectsFirstAlphabeticalPrefixMatch) {
    Open(false);
    const GenreCase cases[] = {
        {"(17)", "Rock"},  // before "Rock & Roll"
        {"roc", "Rock"},
        {"pop", "Pop"},
        {"jazz", "Jazz"},
        {"Euro", "Euro-House"},  // '-' sorts before letters
        {"Audiobook", "Audiobook"},
        {"(200)", "(200)"},
    };
    for (const auto& c : cases) {
        settings.genre = c.text;
        form.SetKeepGenre(false);  // music: the track's genre goes into the box
        EXPECT_EQ(form.Genre().text, c.shown) << c.text;
        if (form.GenreSelection()) {
            EXPECT_EQ(form.GenreList()[static_cast<std::size_t>(*form.GenreSelection())].name,
                      c.shown);
        } else {
            EXPECT_EQ(c.text, std::string(c.shown));
        }
    }
}

TEST_F(MergeOptionsFormTest, EmptyGenreSelectsNoEntry) {
    settings.genre = "";
    Open(false);
    form.SetKeepGenre(false);
    EXPECT_EQ(form.Genre().text, "");
    EXPECT_FALSE(form.GenreSelection().has_value());
    form.Confirm();
    EXPECT_EQ(settings.choices.genre, "");
}

TEST_F(MergeOptionsFormTest, TypingIntoGenreBoxClearsSelection) {
    Open(true);
    ASSERT_TRUE(form.PickGenreNumber(17));
    form.SetGenreText("Spoken Word");
    EXPECT_FALSE(form.GenreSelection().has_value());
    EXPECT_FALSE(form.PickGenre(126));
    EXPECT_FALSE(form.PickGenre(-1));
    EXPECT_FALSE(form.PickGenreNumber(126));
    form.Confirm();
    EXPECT_EQ(settings.choices.genre, "Spoken Word");
}

TEST_F(MergeOptionsFormTest, SwitchingModesDiscardsEditsAndRemembersMode) {
    Open(false);
    form.SetTitleText("Edited");
    form.SetArtistText("Someone");
    form.SetKeepGenre(false);
    form.SetGenreText("Polka");
    form.SetKeepTrackNames(false);
    form.SetNameText("<track>");
    form.ChooseAudioBooks();
    EXPECT_TRUE(settings.choices.audioBookMode);
    form.ChooseMusic();
    EXPECT_FALSE(settings.choices.audioBookMode);
    EXPECT_EQ(form.Title().text, "Moby Dick_1");
    EXPECT_EQ(form.Artist().text, "Herman Melville");
    EXPECT_EQ(form.Genre().text, "Rock");
    EXPECT_EQ(form.Name().text, "<song>");

    // Choosing the type already chosen applies it again.
    form.SetTitleText("Edited");
    form.ChooseMusic();
    EXPECT_EQ(form.Title().text, "Moby Dick_1");

    // The next dialog of the run opens with the type chosen last.
    MergeOptionsForm next(settings);
    next.SetUp();
    EXPECT_TRUE(next.MusicChecked());
}

// A set whose merge stopped before writing is asked for again as it was confirmed:
// each keep box with its field's state, the texts as they were, not the defaults.
TEST_F(MergeOptionsFormTest, ConfirmedChoicesAreShownAsConfirmed) {
    Open(true);
    form.SetTitleText("Typed");
    form.SetKeepArtist(true);
    ASSERT_TRUE(form.PickGenreNumber(8));
    form.SetNameText("<track> <song>");
    form.SetFormat(OutputFormat::Mp3Book);
    form.SetJobs(3);
    form.Confirm();
    settings.choicesConfirmed = true;

    MergeOptionsForm again(settings);
    again.SetUp();
    EXPECT_EQ(again.Title().text, "Typed");
    EXPECT_TRUE(again.KeepArtist().checked);
    EXPECT_FALSE(again.Artist().enabled);
    EXPECT_EQ(again.Genre().text, "Jazz");
    ASSERT_TRUE(again.GenreSelection().has_value());
    EXPECT_EQ(again.GenreList()[static_cast<std::size_t>(*again.GenreSelection())].number, 8);
    EXPECT_EQ(again.Name().text, "<track> <song>");
    EXPECT_TRUE(again.Name().enabled);
    EXPECT_EQ(again.Format(), OutputFormat::Mp3Book);
    EXPECT_EQ(again.Jobs(), 3);

    // A typed genre comes back typed, also one that reads as a reference.
    for (const char* typed : {"(8)x", "Rock"}) {
        again.SetGenreText(typed);
        again.Confirm();
        MergeOptionsForm third(settings);
        third.SetUp();
        EXPECT_FALSE(third.GenreSelection().has_value()) << typed;
        third.Confirm();
        EXPECT_EQ(settings.choices.genre, typed);
    }

    // Not confirmed for this set: the type's defaults, the title proposed for the format
    // (one file: no "_1"); the format and the jobs stay.
    settings.choicesConfirmed = false;
    MergeOptionsForm fresh(settings);
    fresh.SetUp();
    EXPECT_EQ(fresh.Title().text, "Moby Dick");
    EXPECT_FALSE(fresh.KeepArtist().checked);
    EXPECT_EQ(fresh.Format(), OutputFormat::Mp3Book);
    EXPECT_EQ(fresh.Jobs(), 3);
}

TEST_F(MergeOptionsFormTest, KeepBoxesEnableTheirFieldsAndSetNamePattern) {
    Open(true);
    form.SetTitleText("Typed");
    form.SetKeepAlbumTitle(true);
    EXPECT_FALSE(form.Title().enabled);
    EXPECT_EQ(form.Title().text, "Typed");
    form.SetKeepArtist(true);
    EXPECT_FALSE(form.Artist().enabled);
    form.SetKeepTrackNames(true);
    EXPECT_EQ(form.Name().text, "<song>");
    EXPECT_FALSE(form.Name().enabled);
    form.SetKeepTrackNames(false);
    EXPECT_EQ(form.Name().text, "<disc>-<track> <book>");
    EXPECT_TRUE(form.Name().enabled);
}

TEST_F(MergeOptionsFormTest, MayCloseRefusesEveryForbiddenCharacter) {
    Open(true);
    for (char c : ForbiddenTitleChars) {
        form.SetTitleText(std::string("AC") + c + "DC");
        EXPECT_FALSE(MayClose()) << c;
    }
    ASSERT_EQ(refusals.size(), ForbiddenTitleChars.size());
    const auto& m = refusals.front();
    EXPECT_EQ(m.text,
              "The album name cannot contain any of\nthese characters: \\ / : * ? \" < > |\n"
              "Please remove all of these characters or\nreplace them with some other ones.");
    EXPECT_EQ(m.caption, "Error");
    EXPECT_EQ(m.kind, MessageKind::Warning);

    form.SetTitleText("AC-DC");
    EXPECT_TRUE(MayClose());
    EXPECT_EQ(refusals.size(), ForbiddenTitleChars.size());

    // No folder has the empty name.
    form.SetTitleText("");
    EXPECT_FALSE(form.TitleAllowed());
    EXPECT_FALSE(MayClose());
    EXPECT_EQ(refusals.back().text,
              "The album name cannot be empty: it names the folder\nthat the merged tracks go "
              "into.\nPlease type a name.");
}

TEST_F(MergeOptionsFormTest, WindowsNamesThatNoFolderCanHave) {
    using enum WindowsNameProblem;
    const struct {
        const char* name;
        WindowsNameProblem problem;
    } cases[] = {
        {"CON", DeviceName},
        {"Nul.txt", DeviceName},
        {"aux .tar.gz", DeviceName},
        {"COM1", DeviceName},
        {"lpt9.mp3", DeviceName},
        {"COM\u00b2", DeviceName},
        {"Book.", TrailingDotOrSpace},
        {"Book ", TrailingDotOrSpace},
        {"COM0", None},
        {"COM10", None},
        {"CONSOLE", None},
        {"CON_1", None},
        {" CON", None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindWindowsNameProblem(c.name), c.problem) << c.name;

    // Only the Windows build refuses them, before anything is written.
    Open(true);
    form.SetTitleText("con.txt");
    EXPECT_EQ(form.TitleAllowed(), !platform::RefusesWindowsNames);
    form.SetTitleText("Book.");
    EXPECT_EQ(MayClose(), !platform::RefusesWindowsNames);
    if (platform::RefusesWindowsNames) {
        EXPECT_EQ(refusals.back().text,
                  "The album name cannot end in a dot or a space:\nWindows drops them from a "
                  "folder's name.\nPlease remove them.");
    }
}

TEST_F(MergeOptionsFormTest, ConfirmWritesAllPlacesCutTo511Characters) {
    Open(false);
    std::string longTitle;
    for (int i = 0; i < 600; ++i)
        longTitle += "é";
    form.SetTitleText(longTitle);
    form.SetKeepArtist(false);
    form.SetArtistText("Ärtist");
    form.SetKeepAlbumTitle(true);
    form.Confirm();
    std::string expected;
    for (int i = 0; i < 511; ++i)
        expected += "é";
    EXPECT_EQ(settings.choices.title, expected);
    EXPECT_EQ(settings.choices.title, expected);
    EXPECT_EQ(settings.choices.artist, "Ärtist");
    EXPECT_EQ(settings.choices.titleTemplate, "<song>");
    EXPECT_TRUE(settings.choices.keepGenre);
    EXPECT_TRUE(settings.choices.keepAlbumTitle);
    EXPECT_FALSE(settings.choices.keepArtist);
    EXPECT_TRUE(settings.choices.keepTrackNames);
}

TEST_F(MergeOptionsFormTest, ChangedCallbackFiresForEveryUserAction) {
    int calls = 0;
    form.SetChangedCallback([&] { ++calls; });
    Open(true);
    form.ChooseMusic();
    form.SetTitleText("x");
    form.SetKeepGenre(false);
    form.PickGenre(0);
    EXPECT_EQ(calls, 5);
}

}  // namespace
}  // namespace brambex
