#include "shell_win32/controls.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32.h"

namespace brambex::win32 {

using platform::Narrow;
using platform::Widen;

namespace {

std::string WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int n = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return Narrow(text);
}

UINT IconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error:
            return MB_ICONERROR;
        case MessageKind::Warning:
            return MB_ICONWARNING;
        case MessageKind::Question:
            return MB_ICONQUESTION;
        case MessageKind::Information:
            return MB_ICONINFORMATION;
        case MessageKind::Notice:
            return 0;
    }
    return 0;
}

std::wstring CaptionOf(std::optional<std::string_view> caption) {
    return caption ? Widen(*caption) : std::wstring(L"Brambex");
}

}  // namespace

std::string ItemText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

void SetItemText(HWND dialog, int id, std::string_view text) {
    if (ItemText(dialog, id) != text)
        SetDlgItemTextW(dialog, id, Widen(text).c_str());
}

void ShowItem(HWND dialog, int id, bool shown) {
    ShowWindow(GetDlgItem(dialog, id), shown ? SW_SHOWNA : SW_HIDE);
}

void EnableItem(HWND dialog, int id, bool enabled) {
    HWND item = GetDlgItem(dialog, id);
    // A button that goes while it has the focus would leave the keyboard nowhere.
    if (!enabled && GetFocus() == item)
        SendMessageW(dialog, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(item, enabled);
}

void CheckItem(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool ItemChecked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void ShowWarningSign(HWND dialog, int id, std::string_view text, HWND& tips) {
    HWND sign = GetDlgItem(dialog, id);
    const std::wstring tip = Widen(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(sign);
    tool.lpszText = const_cast<wchar_t*>(tip.c_str());
    if (!tips) {
        // Owned by the dialog, it goes with it.
        tips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        // A long reason wraps over several lines.
        SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    if (!SendMessageW(sign, STM_GETICON, 0, 0)) {
        const int size = GetSystemMetrics(SM_CXSMICON);
        // The system's own icon: shared, never freed.
        HANDLE warning = LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, size, size, LR_SHARED);
        SendMessageW(sign, STM_SETICON, reinterpret_cast<WPARAM>(warning), 0);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageW(tips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    ShowWindow(sign, text.empty() ? SW_HIDE : SW_SHOWNA);
}

void SetUpList(HWND list, const std::vector<std::string>& columns, bool checkBoxes) {
    DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    if (checkBoxes)
        extended |= LVS_EX_CHECKBOXES;
    ListView_SetExtendedListViewStyle(list, extended);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::wstring heading = Widen(columns[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = heading.data();
        column.cx = 100;
        column.iSubItem = static_cast<int>(i);
        ListView_InsertColumn(list, static_cast<int>(i), &column);
    }
}

void SetListRows(HWND list, const std::vector<std::vector<std::string>>& rows) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    int columns = 1;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::vector<std::string>& cells = rows[r];
        columns = std::max(columns, static_cast<int>(cells.size()));
        std::wstring first = Widen(cells.empty() ? std::string() : cells.front());
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(r);
        item.pszText = first.data();
        const int row = ListView_InsertItem(list, &item);
        for (std::size_t c = 1; c < cells.size(); ++c) {
            std::wstring cell = Widen(cells[c]);
            ListView_SetItemText(list, row, static_cast<int>(c), cell.data());
        }
    }
    for (int c = 0; c < columns; ++c)
        ListView_SetColumnWidth(list, c, LVSCW_AUTOSIZE_USEHEADER);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::string ListText(HWND list, int row, int column) {
    std::wstring text(1024, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto n = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<std::size_t>(n));
    return Narrow(text);
}

int ListSelection(HWND list) {
    return ListView_GetNextItem(list, -1, LVNI_SELECTED);
}

void ShowMessageBox(HWND owner, std::string_view text, std::optional<std::string_view> caption,
                    MessageKind kind) {
    if (kind == MessageKind::Question) {
        AskYesNo(owner, text, caption);
        return;
    }
    MessageBoxW(owner, Widen(text).c_str(), CaptionOf(caption).c_str(), MB_OK | IconOf(kind));
}

Answer AskYesNo(HWND owner, std::string_view text, std::optional<std::string_view> caption) {
    const int answer = MessageBoxW(owner, Widen(text).c_str(), CaptionOf(caption).c_str(),
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    return answer == IDYES ? Answer::Yes : Answer::No;
}

std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return Narrow(path.substr(0, path.find_last_of(L"\\/") + 1));
}

}  // namespace brambex::win32
