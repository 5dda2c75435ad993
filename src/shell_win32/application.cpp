#include "shell_win32/application.h"

#include <commctrl.h>
#include <objbase.h>

#include "shell_win32/gui_thread.h"
#include "shell_win32/main_window.h"
#include "shell_win32/resource_ids.h"

namespace brambex::win32 {

namespace {

// The window a key goes to handles it as a dialog does (Tab, Enter, Esc, mnemonics);
// the main window's shortcuts come first.
bool Handled(MSG& message, HWND main, HACCEL shortcuts) {
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (!root)
        return false;
    if (root == main && TranslateAcceleratorW(main, shortcuts, &message))
        return true;
    return IsDialogMessageW(root, &message);
}

}  // namespace

int RunApplication(int show, const std::function<void(HWND)>& started) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    StartGuiThread();
    const HACCEL shortcuts =
        LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    int status = 0;
    {
        MainWindow window;
        HWND main = window.Create(show);
        if (started)
            started(main);
        MSG message;
        BOOL got;
        while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
            if (Handled(message, main, shortcuts))
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        status = got < 0 ? 1 : static_cast<int>(message.wParam);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return status;
}

}  // namespace brambex::win32
