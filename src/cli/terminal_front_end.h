// The terminal as the merge's front end: message boxes become lines on standard error
// ("caption: text"), questions are asked on the terminal (or answered from --yes) in
// their text alone, which asks what the caption names,
// the Merge Options dialog is answered from the command line's options, and the
// progress window is a bar on standard error when that is a terminal (a line per
// track on a console that cannot redraw a line).
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "engine/front_end.h"

namespace brambex::cli {

enum class ProgressStyle {
    None,
    Bar,    // one line redrawn in place
    Lines,  // a line for each track
};

class TerminalFrontEnd : public FrontEnd {
  public:
    // err receives the messages and the progress; askTerminal asks the questions on
    // standard input (else they are answered No unless --yes was given).
    TerminalFrontEnd(const CliOptions& options, std::FILE* err, ProgressStyle progress,
                     bool askTerminal);

    void ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                     MessageKind style) override;
    Answer Ask(std::string_view text, std::optional<std::string_view> caption) override;
    void ShowStatus(std::string_view text) override;
    bool RunMergeOptions(MergeOptionsForm& form) override;
    std::unique_ptr<ProgressWindow> OpenProgress(std::string_view caption,
                                                 std::string_view initialMessage,
                                                 int total) override;
    void WritingTemporaryFile(std::string_view path) override;
    void WritingTrackFile(int slot, std::string_view path) override;

    // Count of messages shown (questions included).
    int MessageCount() const { return messageCount_; }

    // Erases the progress bar from its line before other output goes to err.
    void ClearBar();
    void DrawBar(int percent, const std::string& text);
    // One of the tag codec's diagnostic lines on a line of its own, after "file: " when
    // a file is named; a bar that was shown is drawn again below it.
    void ShowDiagnostic(std::string_view line, std::string_view file) override;

  private:
    void PrintMessage(std::string_view text, std::optional<std::string_view> caption);

    const CliOptions& options_;
    std::FILE* err_;
    ProgressStyle progress_;
    bool askTerminal_;
    bool barDrawn_ = false;
    int barPercent_ = 0;
    std::string barText_;
    int messageCount_ = 0;
};

// Ctrl-C, SIGTERM and SIGHUP as the merge's Cancel.
class InterruptCancellation : public Cancellation {
  public:
    bool Requested() const override;
};

}  // namespace brambex::cli
