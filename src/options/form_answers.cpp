#include "options/form_answers.h"

#include "options/merge_options_form.h"

namespace brambex {

namespace {

// A keep box given an answer is set to it; one whose field gets a text is cleared.
void AnswerKeepBox(MergeOptionsForm& form, const std::optional<bool>& keep, bool textGiven,
                   bool checked, void (MergeOptionsForm::*set)(bool)) {
    if (keep)
        (form.*set)(*keep);
    else if (textGiven && checked)
        (form.*set)(false);
}

}  // namespace

void AnswerMergeOptions(MergeOptionsForm& form, const FormAnswers& a) {
    // Clicking the other type only when the form did not open in the one answered.
    if (a.music && *a.music && !form.MusicChecked())
        form.ChooseMusic();
    if (a.music && !*a.music && !form.AudioBooksChecked())
        form.ChooseAudioBooks();
    AnswerKeepBox(form, a.keepGenre, a.genre.has_value(), form.KeepGenre().checked,
                  &MergeOptionsForm::SetKeepGenre);
    if (a.keepAlbumTitle)
        form.SetKeepAlbumTitle(*a.keepAlbumTitle);
    AnswerKeepBox(form, a.keepArtist, a.artist.has_value(), form.KeepArtist().checked,
                  &MergeOptionsForm::SetKeepArtist);
    AnswerKeepBox(form, a.keepTrackNames, a.pattern.has_value(), form.KeepTrackNames().checked,
                  &MergeOptionsForm::SetKeepTrackNames);
    if (a.title)
        form.SetTitleText(*a.title);
    if (a.artist)
        form.SetArtistText(*a.artist);
    if (a.pattern)
        form.SetNameText(*a.pattern);
    if (a.genre && (!a.genreNumber || !form.PickGenreNumber(*a.genreNumber)))
        form.SetGenreText(*a.genre);
    if (a.format)
        form.SetFormat(*a.format);
    if (a.jobs)
        form.SetJobs(*a.jobs);
    if (a.bitrate)
        form.SetBitrateText(*a.bitrate);
    if (a.mono)
        form.SetMono(*a.mono);
}

}  // namespace brambex
