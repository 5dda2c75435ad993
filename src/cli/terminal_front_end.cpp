#include "cli/terminal_front_end.h"

#include <algorithm>

#include "app/progress_meter.h"
#include "app/shown_text.h"
#include "app/typed_answers.h"
#include "cli/console.h"
#include "cli/interrupt.h"
#include "cli/terminal_text.h"
#include "options/merge_options_form.h"

namespace brambex::cli {

namespace {

constexpr std::string_view ApplicationName = "Brambex";
constexpr int BarCells = 24;

class TerminalProgress : public ProgressWindow {
  public:
    TerminalProgress(TerminalFrontEnd& terminal, int total) : terminal_(terminal), meter_(total) {}
    ~TerminalProgress() override { terminal_.ClearBar(); }

    void SetTitle(std::string_view) override {}
    void SetMessage(std::string_view text) override {
        message_ = text;
        terminal_.DrawBar(meter_.Percent(), message_);
    }
    void SetProgress(int done) override {
        if (meter_.Update(done))
            terminal_.DrawBar(meter_.Percent(), message_);
    }

  private:
    TerminalFrontEnd& terminal_;
    ProgressMeter meter_;
    std::string message_;
};

}  // namespace

TerminalFrontEnd::TerminalFrontEnd(const CliOptions& options, std::FILE* err,
                                   ProgressStyle progress, bool askTerminal)
    : options_(options), err_(err), progress_(progress), askTerminal_(askTerminal) {}

void TerminalFrontEnd::PrintMessage(std::string_view text,
                                    std::optional<std::string_view> caption) {
    ClearBar();
    ++messageCount_;
    std::string_view shown = caption.value_or(ApplicationName);
    if (!shown.empty())
        std::fprintf(err_, "%s: ", Printable(shown, err_).c_str());
    std::fputs(Printable(text, err_, true).c_str(), err_);
}

void TerminalFrontEnd::ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                                   MessageKind) {
    PrintMessage(text, caption);
    std::fputc('\n', err_);
    std::fflush(err_);
}

Answer TerminalFrontEnd::Ask(std::string_view text, std::optional<std::string_view>) {
    PrintMessage(text, "");
    std::fputs(" [y/N] ", err_);
    if (options_.yes) {
        std::fputs("yes\n", err_);
        std::fflush(err_);
        return Answer::Yes;
    }
    if (!askTerminal_) {
        std::fputs("no (--yes answers yes)\n", err_);
        std::fflush(err_);
        return Answer::No;
    }
    std::fflush(err_);
    std::string line;
    if (!ReadAnswerLine(line)) {
        std::fputc('\n', err_);
        return Answer::No;
    }
    return IsYesAnswer(line) ? Answer::Yes : Answer::No;
}

void TerminalFrontEnd::ShowStatus(std::string_view text) {
    ShowMessage(text, "", MessageKind::Information);
}

bool TerminalFrontEnd::RunMergeOptions(MergeOptionsForm& form) {
    if (InterruptRequested())
        return false;
    // The merge opens the form in the type the options chose, as the dialog opens in
    // the type chosen last.
    FormAnswers answers;
    answers.music = options_.music.value_or(false);
    answers.keepGenre = options_.keepGenre;
    answers.keepAlbumTitle = options_.keepAlbum;
    answers.keepArtist = options_.keepArtist;
    answers.keepTrackNames = options_.keepNames;
    answers.title = options_.title;
    answers.artist = options_.artist;
    answers.pattern = options_.pattern;
    answers.genre = options_.genre;
    AnswerTypedOptions(form, answers);
    // A title that cannot name a folder is refused by the merge's own check, with the
    // dialog's message; there is nothing to describe.
    if (!form.TitleAllowed())
        return true;
    if (!options_.quiet) {
        ClearBar();
        std::fprintf(err_, "%s\n", Printable(DescribeMergeOptions(form), err_).c_str());
        for (const std::string& note : MergeOptionsNotes(form))
            std::fprintf(err_, "%s\n", Printable(note, err_).c_str());
        std::fflush(err_);
    }
    return true;
}

std::unique_ptr<ProgressWindow> TerminalFrontEnd::OpenProgress(std::string_view, std::string_view,
                                                               int total) {
    return std::make_unique<TerminalProgress>(*this, total);
}

void TerminalFrontEnd::WritingTemporaryFile(std::string_view path) {
    SetTemporaryFile(path);
}

void TerminalFrontEnd::WritingTrackFile(int slot, std::string_view path) {
    SetTemporaryFile(path, slot);
}

void TerminalFrontEnd::ClearBar() {
    if (!barDrawn_)
        return;
    std::fputs("\r\033[K", err_);
    std::fflush(err_);
    barDrawn_ = false;
}

void TerminalFrontEnd::DrawBar(int percent, const std::string& text) {
    if (progress_ == ProgressStyle::None)
        return;
    if (progress_ == ProgressStyle::Lines) {
        if (text != barText_) {
            std::fprintf(err_, "%3d%% %s\n", percent, Printable(text, err_).c_str());
            std::fflush(err_);
        }
        barText_ = text;
        return;
    }
    int filled = percent * BarCells / 100;
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(BarCells - filled), '.') + "] ";
    char share[8];
    std::snprintf(share, sizeof share, "%3d%% ", percent);
    line += share;
    line += Printable(text, err_);
    std::size_t width = static_cast<std::size_t>(std::max(TerminalWidth(err_) - 1, 10));
    line = std::string(CutToChars(line, width));
    std::fprintf(err_, "\r%s\033[K", line.c_str());
    std::fflush(err_);
    barDrawn_ = true;
    barPercent_ = percent;
    barText_ = text;
}

void TerminalFrontEnd::ShowDiagnostic(std::string_view line, std::string_view file) {
    const bool barWasDrawn = barDrawn_;
    ClearBar();
    if (!file.empty())
        std::fprintf(err_, "%s: ", Printable(file, err_).c_str());
    std::fprintf(err_, "%s\n", Printable(line, err_).c_str());
    std::fflush(err_);
    if (barWasDrawn)
        DrawBar(barPercent_, barText_);
}

bool InterruptCancellation::Requested() const {
    return InterruptRequested();
}

}  // namespace brambex::cli
