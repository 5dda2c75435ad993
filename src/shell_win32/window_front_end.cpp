#include "shell_win32/window_front_end.h"

#include <string>
#include <utility>

#include "app/main_window_model.h"
#include "shell_win32/controls.h"
#include "shell_win32/gui_thread.h"
#include "shell_win32/merge_options_dialog.h"
#include "shell_win32/progress_dialog.h"

namespace brambex::win32 {

void WindowFrontEnd::SetWindowModel(MainWindowModel* window, std::function<void()> changed) {
    window_ = window;
    changed_ = std::move(changed);
}

void WindowFrontEnd::ShowMessage(std::string_view text, std::optional<std::string_view> caption,
                                 MessageKind kind) {
    RunOnGuiThread([&] { ShowMessageBox(owner_, text, caption, kind); });
}

Answer WindowFrontEnd::Ask(std::string_view text, std::optional<std::string_view> caption) {
    Answer answer = Answer::No;
    RunOnGuiThread([&] { answer = AskYesNo(owner_, text, caption); });
    return answer;
}

void WindowFrontEnd::ShowStatus(std::string_view text) {
    if (!window_) {
        ShowMessage(text, NoCaption, MessageKind::Information);
        return;
    }
    RunOnGuiThread([&] {
        window_->ShowStatus(text);
        if (changed_)
            changed_();
    });
}

bool WindowFrontEnd::RunMergeOptions(MergeOptionsForm& form) {
    bool started = false;
    RunOnGuiThread([&] { started = RunMergeOptionsDialog(owner_, form); });
    return started;
}

std::unique_ptr<ProgressWindow> WindowFrontEnd::OpenProgress(std::string_view caption,
                                                             std::string_view initialMessage,
                                                             int total) {
    std::unique_ptr<ProgressWindow> progress;
    RunOnGuiThread([&] {
        // The main window shows what its model says of the merge (the folder list's
        // caption) before the progress window covers it.
        if (window_ && changed_)
            changed_();
        progress = OpenProgressDialog(owner_, caption, initialMessage, total, cancel_);
    });
    return progress;
}

}  // namespace brambex::win32
