#include "shell_win32/details_dialog.h"

#include "platform/win32.h"
#include "shell_win32/resource_ids.h"

namespace brambex::win32 {

namespace {

INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        HWND list = GetDlgItem(window, IDC_DETAILS_LIST);
        LRESULT widest = 0;
        HDC context = GetDC(list);
        SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
        for (const std::string& note : *reinterpret_cast<const std::vector<std::string>*>(lParam)) {
            const std::wstring line = platform::Widen(note);
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
            SIZE size{};
            GetTextExtentPoint32W(context, line.c_str(), static_cast<int>(line.size()), &size);
            widest = std::max<LRESULT>(widest, size.cx + 8);
        }
        ReleaseDC(list, context);
        // Long notes are scrolled to, not cut off.
        SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(window, IDOK);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void RunDetailsDialog(HWND owner, const std::vector<std::string>& notes) {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DETAILS), owner, Proc,
                    reinterpret_cast<LPARAM>(&notes));
}

}  // namespace brambex::win32
