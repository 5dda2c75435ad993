#include "shell_win32/options_dialog.h"

#include "shell_win32/controls.h"
#include "shell_win32/folder_picker.h"
#include "shell_win32/help.h"
#include "shell_win32/resource_ids.h"
#include "shell_win32/settings_store.h"

namespace brambex::win32 {

namespace {

struct OptionsDialog {
    std::string& libraryPath;
    HWND window = nullptr;

    void ShowPath() {
        SetItemText(window, IDC_LIBRARY_PATH, libraryPath.empty() ? "(not set)" : libraryPath);
    }

    void SetPath() {
        // Always from the home folder, so that a path that went wrong can be left.
        const FolderChoice choice =
            ChooseFolder(window, HomeFolder(), "Where is your music library?");
        if (choice.kind == FolderChoice::Failed) {
            ShowMessageBox(window,
                           "Use the \"Forget Music Library Path\" button\nto start the folder "
                           "browser in your home folder again.",
                           "", MessageKind::Information);
            return;
        }
        if (choice.kind == FolderChoice::Cancelled) {
            ShowMessageBox(window, "The music library path is unchanged.", NoCaption,
                           MessageKind::Notice);
            return;
        }
        libraryPath = choice.path;
        if (!StoreLibraryPath(choice.path)) {
            ShowMessageBox(window, "Cannot save music library path", "Error", MessageKind::Notice);
            return;
        }
        ShowPath();
    }

    void ForgetPath() {
        const ForgetResult result = ForgetLibraryPath();
        if (result == ForgetResult::NoKey)
            return;
        libraryPath.clear();
        ShowPath();
        if (result == ForgetResult::WriteFailed)
            ShowMessageBox(window, "Cannot save music library path", "Error", MessageKind::Notice);
    }

    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            auto* self = reinterpret_cast<OptionsDialog*>(lParam);
            self->window = window;
            self->ShowPath();
            return TRUE;
        }
        auto* self = reinterpret_cast<OptionsDialog*>(GetWindowLongPtrW(window, DWLP_USER));
        if (!self || message != WM_COMMAND)
            return FALSE;
        switch (LOWORD(wParam)) {
            case IDOK:
            case IDCANCEL:
                EndDialog(window, IDOK);
                break;
            case IDC_SET_LIBRARY:
                self->SetPath();
                break;
            case IDC_FORGET_LIBRARY:
                self->ForgetPath();
                break;
            case IDC_HELP_BUTTON:
                ShowHelp(window);
                break;
        }
        return TRUE;
    }
};

}  // namespace

void RunOptionsDialog(HWND owner, std::string& libraryPath) {
    OptionsDialog dialog{libraryPath};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OPTIONS), owner,
                    OptionsDialog::Proc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace brambex::win32
