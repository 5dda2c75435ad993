#include "app/typed_answers.h"

#include "engine/system_reason.h"
#include "options/merge_options_form.h"
#include "platform/ascii_case.h"
#include "tags/genre_table.h"

namespace brambex {

void AnswerTypedOptions(MergeOptionsForm& form, FormAnswers answers) {
    answers.genreNumber.reset();
    // A genre of the list by name or number is picked from it; other text is typed.
    if (answers.genre) {
        const GenreText genre = ReadGenreText(*answers.genre);
        if (genre.length == answers.genre->size())
            answers.genreNumber = genre.number;
    }
    AnswerMergeOptions(form, answers);
}

std::string DescribeMergeOptions(const MergeOptionsForm& form) {
    std::string genre = form.Genre().text;
    std::string kept;
    auto keep = [&kept](bool checked, const char* what) {
        if (!checked)
            return;
        kept += kept.empty() ? "" : ", ";
        kept += what;
    };
    keep(form.KeepGenre().checked, "genre");
    keep(form.KeepAlbumTitle().checked, "album title");
    keep(form.KeepArtist().checked, "artist");
    keep(form.KeepTrackNames().checked, "track names");
    std::string text = std::string(form.AudioBooksChecked() ? "Audio book" : "Music") + " \"" +
                       form.Title().text + "\" by \"" + form.Artist().text + "\", genre \"" +
                       genre + "\", track names \"" + form.Name().text + "\"";
    text += kept.empty() ? ", keeping nothing." : ", keeping the tracks' " + kept + ".";
    return text;
}

std::vector<std::string> MergeOptionsNotes(const MergeOptionsForm& form) {
    std::vector<std::string> notes;
    // Nobody sees the form before the merge starts, so what it would have shown as an
    // empty field is said here.
    if (form.FirstTrackError()) {
        notes.push_back(
            WithReason("Note: the first track \"" + form.FirstTrackPath() + "\" could not be read",
                       form.FirstTrackError()) +
            ", so its tags give no artist, album or genre.");
    } else if (form.Artist().text.empty() && !form.KeepArtist().checked) {
        notes.push_back(
            "Note: the first track names no artist (TPE2 frame or ID3v1 trailer), so every "
            "track's artist is emptied; give --artist, or --keep-artist to keep the tracks' "
            "own.");
    }
    if (form.TitleFromFolder()) {
        notes.push_back("Note: the title \"" + form.Title().text +
                        "\" is the folder's name: the first track names no album, or another "
                        "set beside it would get the same output folder; give --title to name "
                        "it otherwise.");
    }
    return notes;
}

bool IsYesAnswer(std::string_view line) {
    std::string answer = LowerAscii(line);
    answer.erase(0, answer.find_first_not_of(" \t"));
    answer.erase(answer.find_last_not_of(" \t\r") + 1);
    return answer == "y" || answer == "yes";
}

}  // namespace brambex
