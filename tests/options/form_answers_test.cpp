// The order in which the Merge Options form is answered without a person: a type of
// CDs, a keep box or a text answered in the wrong order undoes what was answered
// before it, whichever type the form opened in.
#include "options/form_answers.h"

#include <gtest/gtest.h>

#include <string>

#include "options/merge_options_form.h"
#include "options/merge_settings.h"

namespace brambex {
namespace {

struct AnsweredForm {
    bool music;
    const char* title;
    const char* artist;
    const char* pattern;
    const char* genre;
    bool keep[4];  // genre, album title, artist, track names
};

struct OrderCase {
    const char* name;
    bool opensAsBooks;
    void (*answer)(FormAnswers&);
    AnsweredForm expected;
};

TEST(AnswerMergeOptionsTest, EachAnswerSurvivesThoseAfterIt) {
    const OrderCase cases[] = {
        // The other type's defaults must not overwrite the keep boxes nor the texts,
        // and the cleared boxes' responses must not overwrite the texts.
        {"texts in the other type",
         true,
         [](FormAnswers& a) {
             a.music = true;
             a.keepGenre = a.keepArtist = a.keepTrackNames = false;
             a.title = "Best Of";
             a.artist = "Band";
             a.pattern = "<track> <song>";
             a.genre = "Jazz";
             a.genreNumber = 8;
         },
         {true, "Best Of", "Band", "<track> <song>", "Jazz", {false, false, false, false}}},
        {"keep boxes in the other type",
         false,
         [](FormAnswers& a) {
             a.music = false;
             a.keepGenre = a.keepAlbumTitle = a.keepArtist = a.keepTrackNames = true;
         },
         {false, "Moby Dick_1", "Herman Melville", "<song>", "Rock", {true, true, true, true}}},
        // The box answered as the type already has it still runs its response first.
        {"genre typed after its box",
         true,
         [](FormAnswers& a) {
             a.keepGenre = false;
             a.genre = "Space Rock";
         },
         {false,
          "Moby Dick_1",
          "Herman Melville",
          "<disc>-<track> <book>",
          "Space Rock",
          {false, false, false, false}}},
    };
    for (const OrderCase& c : cases) {
        MergeSettings settings;
        settings.albumTitle = "Moby Dick Disc 1";
        settings.artist = "Herman Melville";
        settings.genre = "(17)";
        settings.choices.audioBookMode = c.opensAsBooks;
        MergeOptionsForm form(settings);
        form.SetUp();
        FormAnswers answers;
        c.answer(answers);
        AnswerMergeOptions(form, answers);
        const AnsweredForm& e = c.expected;
        EXPECT_EQ(form.MusicChecked(), e.music) << c.name;
        EXPECT_EQ(form.Title().text, e.title) << c.name;
        EXPECT_EQ(form.Artist().text, e.artist) << c.name;
        EXPECT_EQ(form.Name().text, e.pattern) << c.name;
        EXPECT_EQ(form.Genre().text, e.genre) << c.name;
        const bool keep[] = {form.KeepGenre().checked, form.KeepAlbumTitle().checked,
                             form.KeepArtist().checked, form.KeepTrackNames().checked};
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(keep[k], e.keep[k]) << c.name << ", box " << k;
        }
    }
}

}  // namespace
}  // namespace brambex
