// The third of the three things a front end does for the merge: show how it goes. The
// progress window, the status line, the temporary files being written (which a front
// end that may be ended at any moment removes on the way out) and the tag codec's
// lines; and the other way, the Cancel that stops the merge.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

namespace brambex {

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

class ProgressNotes {
  public:
    virtual ~ProgressNotes() = default;

    // Opens the progress window; it is closed when the returned object is destroyed.
    // Its Cancel reaches the merge through the session's Cancellation.
    virtual std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                                         std::string_view initialMessage,
                                                         int total) = 0;

    // Where the merge stands, when that needs neither an answer nor an error box
    // ("Skipping this merge."): the main window's status line, a terminal's line.
    virtual void ShowStatus(std::string_view text) = 0;

    // The merge is writing this temporary file now (the empty text: none). A front end
    // that may be ended at any moment (a terminal's signals) removes it on the way out.
    virtual void WritingTemporaryFile(std::string_view path) { (void)path; }
    // The same for tracks written at the same time, each in its own slot from 0 up.
    // Slot 0 is that of WritingTemporaryFile, which is not used while tracks are written.
    virtual void WritingTrackFile(int slot, std::string_view path) {
        if (slot == 0)
            WritingTemporaryFile(path);
    }

    // One of the tag codec's diagnostic lines, about the track at file (a name in the
    // set's folder; empty when no track is being read), as the codec gives it. A merge
    // keeps the lines of each track it copies in its outcome's notes either way, so a
    // front end that shows only those (a window's Details) leaves this as it is.
    virtual void ShowDiagnostic(std::string_view line, std::string_view file) {
        (void)line;
        (void)file;
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
