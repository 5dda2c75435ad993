// The one narrow interface through which the merge talks to people: message boxes,
// the Merge Options dialog, the progress window and the two controls of the main
// window that a merge touches. The desktop program implements it with widgets, the
// command-line program with a terminal, the tests with a scripted fake.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace brambex {

class MergeOptionsForm;

// Message box styles; the values are those of the Windows message box.
enum class MessageStyle {
    Plain = 0,         // OK, no icon
    Stop = 16,         // OK, stop icon
    Question = 36,     // Yes and No, question icon
    Exclamation = 48,  // OK, exclamation icon
    Information = 64,  // OK, information icon
};

enum class Answer { Yes, No };

// No caption given: the front end shows the application's name, "Brambex".
inline constexpr std::optional<std::string_view> NoCaption = std::nullopt;

class ProgressWindow {
  public:
    virtual ~ProgressWindow() = default;
    virtual void SetTitle(std::string_view caption) = 0;
    virtual void SetMessage(std::string_view text) = 0;
    virtual void SetProgress(int done) = 0;
    // Bytes of the tracks copied so far, of the total of the set's tracks: what the
    // estimate of the time left is made from.
    virtual void SetBytes(std::int64_t done, std::int64_t total) {
        (void)done;
        (void)total;
    }
};

class FrontEnd {
  public:
    virtual ~FrontEnd() = default;

    // A modal message; style is one of the OK styles.
    virtual void ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                             MessageStyle style) = 0;
    // A Yes/No question with the question icon. The merge's questions are whether to
    // delete something, so No is what Enter answers.
    virtual Answer Ask(std::string_view text, std::optional<std::string_view> caption) = 0;
    // Where the merge stands, when that needs neither an answer nor an error box
    // ("Skipping this merge."): the main window's status line, a terminal's line. By
    // default an information message.
    virtual void ShowStatus(std::string_view text) {
        ShowMessage(text, NoCaption, MessageStyle::Information);
    }

    // Runs the Merge Options dialog over the form; true when the user pressed
    // "Start Merge" and the form's may-close test passed, false when cancelled.
    virtual bool RunMergeOptions(MergeOptionsForm& form) = 0;

    // Opens the progress window; it is closed when the returned object is destroyed.
    // Its Cancel reaches the merge through the session's Cancellation.
    virtual std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                                         std::string_view initialMessage,
                                                         int total) = 0;

    // The main window's folder list (filled by a scan) and folder group caption.
    virtual void AddFolder(std::string_view name) = 0;
    virtual void SetFolderGroupCaption(std::string_view text) = 0;

    // The merge is writing this temporary file now (the empty text: none). A front end
    // that may be ended at any moment (a terminal's signals) removes it on the way out.
    virtual void WritingTemporaryFile(std::string_view path) { (void)path; }

    // One of the tag codec's diagnostic lines, about the track at file (a name in the
    // set's folder; empty when no track is being read), as the codec gives it. A merge
    // keeps the lines of each track it copies in its outcome's notes either way, so a
    // front end that shows only those (a window's Details) leaves this as it is.
    virtual void ShowDiagnostic(std::string_view line, std::string_view file) {
        (void)line;
        (void)file;
    }
    // The same for tracks written at the same time, each in its own slot from 0 up.
    // Slot 0 is that of WritingTemporaryFile, which is not used while tracks are written.
    virtual void WritingTrackFile(int slot, std::string_view path) {
        if (slot == 0)
            WritingTemporaryFile(path);
    }
};

// What a merge polls before each track to learn whether the user asked it to stop
// (the progress window's Cancel, closing the window, Ctrl-C). May be asked from
// another thread than the one that requests the stop.
class Cancellation {
  public:
    virtual ~Cancellation() = default;
    virtual bool Requested() const = 0;
};

// A cancellation requested by hand: a Cancel button, a window that closes, a test.
class CancelFlag : public Cancellation {
  public:
    void Request() { requested_ = true; }
    void Clear() { requested_ = false; }
    bool Requested() const override { return requested_; }

  private:
    std::atomic<bool> requested_{false};
};

}  // namespace brambex
