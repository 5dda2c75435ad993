#include "cli/terminal_front_end.h"

#include <algorithm>

#include "app/progress_meter.h"
#include "cli/console.h"
#include "cli/interrupt.h"
#include "cli/terminal_text.h"
#include "engine/output_writer.h"
#include "engine/system_reason.h"
#include "options/form_answers.h"
#include "options/merge_options_form.h"
#include "options/merge_settings.h"
#include "platform/ascii_case.h"
#include "tags/diagnostic.h"
#include "tags/genre_table.h"
#include "tags/text_encoding.h"

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
    std::string answer = LowerAscii(line);
    answer.erase(0, answer.find_first_not_of(" \t"));
    answer.erase(answer.find_last_not_of(" \t\r") + 1);
    return answer == "y" || answer == "yes" ? Answer::Yes : Answer::No;
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
    // A genre of the list by name or number is picked from it; other text is typed.
    if (options_.genre) {
        const GenreText genre = ReadGenreText(*options_.genre);
        if (genre.length == options_.genre->size())
            answers.genreNumber = genre.number;
    }
    AnswerMergeOptions(form, answers);
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
    line = std::string(CutUtf8Chars(line, width));
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

}  // namespace brambex::cli
