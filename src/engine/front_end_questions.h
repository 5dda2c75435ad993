// The second of the three things a front end does for the merge: answer its questions,
// the Merge Options form and whether to empty the output of an earlier merge. The
// desktop program asks in dialogs, the terminal answers from the command line's options
// (or asks on the terminal), a library run answers from the first set's choices.
#pragma once

#include <optional>
#include <string_view>

namespace brambex {

class MergeOptionsForm;

enum class Answer { Yes, No };

class Questions {
  public:
    virtual ~Questions() = default;

    // A Yes/No question. The merge's questions are whether to delete something, so No
    // is what Enter answers.
    virtual Answer Ask(std::string_view text, std::optional<std::string_view> caption) = 0;

    // Runs the Merge Options dialog over the form; true when the user pressed "Start
    // Merge" and the form had no refusal (MergeOptionsForm::Refusal), false when
    // cancelled.
    virtual bool RunMergeOptions(MergeOptionsForm& form) = 0;
};

}  // namespace brambex
