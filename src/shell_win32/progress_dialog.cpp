#include "shell_win32/progress_dialog.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "app/progress_model.h"
#include "platform/win32.h"
#include "shell_win32/controls.h"
#include "shell_win32/gui_thread.h"
#include "shell_win32/resource_ids.h"

namespace brambex::win32 {

namespace {

constexpr ULONGLONG MinimumShowMs = 1000;
constexpr UINT_PTR FinishTimer = 1;

class ProgressDialog {
  public:
    ProgressDialog(HWND owner, std::string_view caption, std::string_view message, int total,
                   CancelFlag* cancel)
        : cancel_(cancel), model_(total) {
        if (cancel_)
            cancel_->Clear();
        window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRESS),
                                     owner, Proc, reinterpret_cast<LPARAM>(this));
        SendDlgItemMessageW(window_, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, 100);
        if (!caption.empty())
            SetWindowTextW(window_, platform::Widen(caption).c_str());
        SetItemText(window_, IDC_PROGRESS_MESSAGE, message);
        ShowCount();
        ShowWindow(window_, SW_SHOW);
        shownAt_ = GetTickCount64();
    }

    void SetTitle(std::string_view caption) {
        SetWindowTextW(window_, platform::Widen(caption).c_str());
    }
    void SetMessage(std::string_view text) { SetItemText(window_, IDC_PROGRESS_MESSAGE, text); }
    void SetProgress(int done) {
        // The bar moves only when the whole percentage grows: at most 100 redraws.
        if (model_.SetDone(done))
            SendDlgItemMessageW(window_, IDC_PROGRESS_BAR, PBM_SETPOS,
                                static_cast<WPARAM>(model_.Percent()), 0);
        ShowCount();
    }
    void SetBytes(std::int64_t done, std::int64_t total) {
        model_.SetBytes(done, total, static_cast<double>(GetTickCount64() - shownAt_) / 1000.0);
        ShowCount();
    }

    // The merge has ended: the window goes once it has been up for its second.
    void Finish() {
        const ULONGLONG up = GetTickCount64() - shownAt_;
        SetTimer(window_, FinishTimer,
                 static_cast<UINT>(up < MinimumShowMs ? MinimumShowMs - up : 0), nullptr);
    }

  private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            return TRUE;
        }
        auto* self = reinterpret_cast<ProgressDialog*>(GetWindowLongPtrW(window, DWLP_USER));
        if (!self)
            return FALSE;
        switch (message) {
            case WM_COMMAND:
                if (LOWORD(wParam) == IDCANCEL)
                    self->Cancel();
                return TRUE;
            case WM_CLOSE:
                self->Close();
                return TRUE;
            case WM_TIMER:
                KillTimer(window, FinishTimer);
                self->Go();
                return TRUE;
        }
        return FALSE;
    }

    void ShowCount() { SetItemText(window_, IDC_PROGRESS_COUNT, model_.CountLine()); }

    void Cancel() {
        if (cancel_)
            cancel_->Request();
    }

    // The close box is Cancel, asked first while tracks remain to be written.
    void Close() {
        const std::string question = model_.CloseQuestion();
        if (question.empty()) {
            Cancel();
            return;
        }
        if (asking_)
            return;
        asking_ = true;
        const Answer answer = AskYesNo(window_, question, "Cancel merge");
        asking_ = false;
        if (answer == Answer::Yes)
            Cancel();
        if (goPending_)
            Go();
    }

    // The question's own loop may be running: the window goes once it is answered.
    void Go() {
        if (asking_) {
            goPending_ = true;
            return;
        }
        DestroyWindow(window_);
        delete this;
    }

    HWND window_ = nullptr;
    CancelFlag* cancel_;
    ProgressModel model_;
    ULONGLONG shownAt_ = 0;
    bool asking_ = false;
    bool goPending_ = false;
};

// The merge's handle on the window: every call is queued for the window thread, in
// order, the last being the window's Finish.
class ProgressHandle : public ProgressWindow {
  public:
    explicit ProgressHandle(ProgressDialog* dialog) : dialog_(dialog) {}
    ~ProgressHandle() override {
        PostToGuiThread([dialog = dialog_] { dialog->Finish(); });
    }
    void SetTitle(std::string_view caption) override {
        PostToGuiThread(
            [dialog = dialog_, text = std::string(caption)] { dialog->SetTitle(text); });
    }
    void SetMessage(std::string_view text) override {
        PostToGuiThread([dialog = dialog_, line = std::string(text)] { dialog->SetMessage(line); });
    }
    void SetProgress(int done) override {
        PostToGuiThread([dialog = dialog_, done] { dialog->SetProgress(done); });
    }
    void SetBytes(std::int64_t done, std::int64_t total) override {
        PostToGuiThread([dialog = dialog_, done, total] { dialog->SetBytes(done, total); });
    }

  private:
    ProgressDialog* dialog_;
};

}  // namespace

std::unique_ptr<ProgressWindow> OpenProgressDialog(HWND owner, std::string_view caption,
                                                   std::string_view initialMessage, int total,
                                                   CancelFlag* cancel) {
    return std::make_unique<ProgressHandle>(
        new ProgressDialog(owner, caption, initialMessage, total, cancel));
}

}  // namespace brambex::win32
