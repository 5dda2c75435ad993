#include "shell_win32/library_dialog.h"

#include <commctrl.h>

#include <vector>

#include "app/library_model.h"
#include "platform/file_system.h"
#include "platform/win32.h"
#include "shell_win32/controls.h"
#include "shell_win32/gui_thread.h"
#include "shell_win32/resource_ids.h"
#include "shell_win32/window_front_end.h"

namespace brambex::win32 {

namespace {

enum Column { SetColumn, TitleColumn, DiscsColumn, TracksColumn, PlanColumn };

class LibraryDialog {
  public:
    explicit LibraryDialog(const std::string& folder) : model_(folder) {}

    void Run(HWND owner) {
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LIBRARY), owner, Proc,
                        reinterpret_cast<LPARAM>(this));
    }

  private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            reinterpret_cast<LibraryDialog*>(lParam)->SetUp(window);
            return TRUE;
        }
        auto* self = reinterpret_cast<LibraryDialog*>(GetWindowLongPtrW(window, DWLP_USER));
        if (!self)
            return FALSE;
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_LIBRARY_MERGE)
            self->Merge();
        else if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
            self->Close();
        else if (message == WM_NOTIFY)
            // Heard only: the list view decides its own answer to each notification.
            self->Notified(*reinterpret_cast<const NMHDR*>(lParam));
        return message == WM_COMMAND;
    }

    void SetUp(HWND window) {
        window_ = window;
        list_ = GetDlgItem(window_, IDC_LIBRARY_LIST);
        frontEnd_.SetOwner(window_, &worker_.Flag());
        SetUpList(list_, {"Set", "Title", "Discs", "Tracks", "What happens"}, true);
        std::vector<std::vector<std::string>> rows;
        for (const LibraryRow& row : model_.Rows())
            rows.push_back({row.set, row.title, row.discs, row.tracks, row.whatHappens});
        filling_ = true;
        SetListRows(list_, rows);
        filling_ = false;
        std::string notes;
        for (const std::string& line : model_.PassedOver())
            notes += (notes.empty() ? "" : "\n") + line;
        SetItemText(window_, IDC_LIBRARY_NOTES, notes);
        Show();
    }

    void Show() {
        filling_ = true;
        const std::vector<LibraryRow>& rows = model_.Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const int row = static_cast<int>(i);
            // A row that cannot be merged has no check box at all.
            const UINT state = rows[i].checkable ? (rows[i].checked ? 2U : 1U) : 0U;
            ListView_SetItemState(list_, row, INDEXTOSTATEIMAGEMASK(state), LVIS_STATEIMAGEMASK);
            const std::wstring plan = platform::Widen(rows[i].whatHappens);
            ListView_SetItemText(list_, row, PlanColumn, const_cast<wchar_t*>(plan.c_str()));
        }
        filling_ = false;
        EnableWindow(list_, !model_.Merging());
        SetItemText(window_, IDC_LIBRARY_SUMMARY, model_.Summary());
        EnableItem(window_, IDC_LIBRARY_MERGE, model_.MergeEnabled());
    }

    void Notified(const NMHDR& note) {
        if (filling_ || note.idFrom != IDC_LIBRARY_LIST || note.code != LVN_ITEMCHANGED)
            return;
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(note);
        if (!(change.uChanged & LVIF_STATE) || change.iItem < 0 ||
            static_cast<std::size_t>(change.iItem) >= model_.Rows().size())
            return;
        const auto row = static_cast<std::size_t>(change.iItem);
        const bool on = ListView_GetCheckState(list_, change.iItem) != 0;
        if (model_.Rows()[row].checkable && model_.Rows()[row].checked != on)
            model_.SetChecked(row, on);
        Show();
    }

    void Merge() {
        if (worker_.Running())
            return;
        std::vector<LibrarySet> chosen = model_.StartMerge();
        if (chosen.empty())
            return;
        results_.clear();
        Show();
        worker_.Start(
            [this, chosen = std::move(chosen)](const Cancellation& cancel) {
                LibraryMergeSettings settings;
                settings.askOnce = true;
                settings.keepMessages = true;
                // A merged set is checked only to be merged again.
                settings.redo = true;
                results_ =
                    MergeLibrary(platform::SystemFiles(), chosen, frontEnd_, cancel, settings);
            },
            [this](const std::string& error) { MergeEnded(error); });
    }

    void MergeEnded(const std::string& error) {
        if (!error.empty())
            ShowMessageBox(window_, error, "Unhandled Exception", MessageKind::Error);
        model_.MergeEnded(results_);
        Show();
        if (closeAfterMerge_)
            EndDialog(window_, IDCANCEL);
    }

    // Close, Esc and the close box: a running merge is cancelled first, and the dialog
    // closes once it has stopped.
    void Close() {
        if (worker_.Running()) {
            closeAfterMerge_ = true;
            worker_.Cancel();
            return;
        }
        EndDialog(window_, IDCANCEL);
    }

    LibraryModel model_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    bool filling_ = false;
    bool closeAfterMerge_ = false;
    std::vector<LibrarySetResult> results_;
    WindowFrontEnd frontEnd_;
    MergeWorker worker_;
};

}  // namespace

void RunLibraryDialog(HWND owner, const std::string& folder) {
    LibraryDialog dialog(folder);
    dialog.Run(owner);
}

}  // namespace brambex::win32
