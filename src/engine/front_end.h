// The merge's whole front end: its messages, its questions and its progress, each a
// narrow interface of its own (front_end_messages.h, front_end_questions.h,
// front_end_progress.h). The session and the writers of a merge need all three; code
// that needs one (the scan's messages, a picture's note) takes that one. The desktop
// program implements them with widgets, the command-line program with a terminal, the
// tests with a scripted fake.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "engine/front_end_messages.h"
#include "engine/front_end_progress.h"
#include "engine/front_end_questions.h"

namespace brambex {

class FrontEnd : public Messages, public Questions, public ProgressNotes {};

// A front end that hands every call on to another: the base of a relay that changes a
// few of them (the main window's held messages, a library merge's view of one set).
class ForwardingFrontEnd : public FrontEnd {
  public:
    explicit ForwardingFrontEnd(FrontEnd& inner) : inner_(inner) {}

    void ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                     MessageKind kind) override {
        inner_.ShowMessage(text, caption, kind);
    }
    Answer Ask(std::string_view text, std::optional<std::string_view> caption) override {
        return inner_.Ask(text, caption);
    }
    bool RunMergeOptions(MergeOptionsForm& form) override { return inner_.RunMergeOptions(form); }
    std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                                 std::string_view initialMessage,
                                                 int total) override {
        return inner_.OpenProgress(caption, initialMessage, total);
    }
    void ShowStatus(std::string_view text) override { inner_.ShowStatus(text); }
    void WritingTemporaryFile(std::string_view path) override { inner_.WritingTemporaryFile(path); }
    void WritingTrackFile(int slot, std::string_view path) override {
        inner_.WritingTrackFile(slot, path);
    }
    void ShowDiagnostic(std::string_view line, std::string_view file) override {
        inner_.ShowDiagnostic(line, file);
    }

  protected:
    FrontEnd& inner_;
};

}  // namespace brambex
