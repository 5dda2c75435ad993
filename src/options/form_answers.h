// Answers to the Merge Options form given without a person at the dialog: the command
// line's options, or a library's choices made once for every set. Each answer is
// optional; the form keeps what it proposes where none is given.
#pragma once

#include <optional>
#include <string>

#include "options/merge_choices.h"

namespace brambex {

class MergeOptionsForm;

struct FormAnswers {
    std::optional<bool> music;
    std::optional<bool> keepGenre;
    std::optional<bool> keepAlbumTitle;
    std::optional<bool> keepArtist;
    std::optional<bool> keepTrackNames;
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> pattern;
    // A genre is picked from the list by its number where it has one there, and typed
    // as text otherwise.
    std::optional<std::string> genre;
    std::optional<int> genreNumber;
    std::optional<OutputFormat> format;
    std::optional<int> jobs;
    std::optional<std::string> bitrate;  // as typed
    std::optional<bool> mono;
};

// Answers the form in the one order that gives each answer its meaning: the type of
// CDs, then the keep boxes (their responses put the type's texts into the fields),
// then the texts. A text given without its keep box clears that box, as the dialog's
// user unchecks it to type into the field it disables.
void AnswerMergeOptions(MergeOptionsForm& form, const FormAnswers& answers);

}  // namespace brambex
