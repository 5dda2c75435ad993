// The Merge Options form answered from typed options instead of a dialog (the command
// line's), and the words that tell the user afterwards what was chosen and what the
// form would have shown them: nobody sees the form before such a merge starts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "options/form_answers.h"

namespace brambex {

class MergeOptionsForm;

// Answers the form (AnswerMergeOptions) with answers.genre read against the genre
// list: a name of the list in any letter case, or its number, picks that genre;
// other text is typed. answers.genreNumber is not read.
void AnswerTypedOptions(MergeOptionsForm& form, FormAnswers answers);

// The answered form in one line: the type of CDs, title, artist, genre, track names
// and what the tracks keep.
std::string DescribeMergeOptions(const MergeOptionsForm& form);

// Warnings about answers the user did not give and may not want: a first track that
// could not be read, an artist that the merge would empty, a title taken from the
// folder's name.
std::vector<std::string> MergeOptionsNotes(const MergeOptionsForm& form);

// A line typed in answer to a Yes/No question: "y" or "yes" in any letter case, blanks
// around it allowed, is Yes; anything else No.
bool IsYesAnswer(std::string_view line);

}  // namespace brambex
