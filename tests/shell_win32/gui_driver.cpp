#include "gui_driver.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/win32.h"
#include "shell_win32/resource_ids.h"

namespace gui {

using brambex::platform::Narrow;
using brambex::platform::Widen;

int passed = 0;
int failed = 0;

void Check(bool ok, const std::string& what) {
    std::printf("%s - %s\n", ok ? "ok" : "FAIL", what.c_str());
    std::fflush(stdout);
    ++(ok ? passed : failed);
}

bool WaitFor(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string Text(HWND window) {
    wchar_t text[2048] = {};
    SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return Narrow(text);
}

std::string ItemText(HWND dialog, int id) {
    return Text(GetDlgItem(dialog, id));
}

void TypeText(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void ChooseCommand(HWND window, int id) {
    PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

namespace {

bool Ours(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId() && IsWindowVisible(window);
}

}  // namespace

HWND ShownDialog(const wchar_t* caption, HWND but) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"#32770", caption)) != nullptr) {
        if (found != but && Ours(found) && IsWindowEnabled(found))
            return found;
    }
    return nullptr;
}

HWND WaitForDialog(const wchar_t* caption) {
    HWND found = nullptr;
    WaitFor([&] { return (found = ShownDialog(caption)) != nullptr; });
    return found;
}

HWND ShownProgress() {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"#32770", nullptr)) != nullptr) {
        if (Ours(found) && GetDlgItem(found, IDC_PROGRESS_BAR))
            return found;
    }
    return nullptr;
}

bool OnlyMainShown(HWND main) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"#32770", nullptr)) != nullptr) {
        if (found != main && Ours(found))
            return false;
    }
    return true;
}

std::vector<std::vector<std::string>> ListRows(HWND list, int columns) {
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        rows.emplace_back();
        for (int column = 0; column < columns; ++column) {
            wchar_t text[1024] = {};
            ListView_GetItemText(list, row, column, text, static_cast<int>(std::size(text)));
            rows.back().push_back(Narrow(text));
        }
    }
    return rows;
}

std::vector<std::string> BoxLines(HWND box) {
    std::vector<std::string> lines;
    const auto count = SendMessageW(box, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring line(static_cast<std::size_t>(SendMessageW(box, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(Narrow(line));
    }
    return lines;
}

void DropFolder(HWND window, const std::string& folder) {
    const std::wstring path = Widen(folder);
    const SIZE_T bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::wmemcpy(reinterpret_cast<wchar_t*>(drop + 1), path.c_str(), path.size());
    GlobalUnlock(memory);
    PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

bool PickFolder(const wchar_t* caption, const fs::path& folder) {
    HWND picker = WaitForDialog(caption);
    if (!picker)
        return false;
    // The name field is an edit control, on Windows inside a combo box: the first one
    // shown.
    HWND name = nullptr;
    EnumChildWindows(
        picker,
        [](HWND child, LPARAM found) {
            wchar_t kind[16] = {};
            GetClassNameW(child, kind, static_cast<int>(std::size(kind)));
            if (std::wstring_view(kind) != L"Edit" || !IsWindowVisible(child))
                return TRUE;
            *reinterpret_cast<HWND*>(found) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&name));
    if (!name)
        return false;
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.wstring().c_str()));
    Click(picker, IDOK);
    return true;
}

std::map<std::string, fs::file_time_type> FilesIn(const fs::path& folder) {
    std::map<std::string, fs::file_time_type> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        files[Narrow(entry.path().filename().wstring())] = entry.last_write_time();
    return files;
}

int TracksIn(const fs::path& folder) {
    int tracks = 0;
    for (const auto& [name, time] : FilesIn(folder))
        tracks += name.ends_with(".mp3") ? 1 : 0;
    return tracks;
}

}  // namespace gui
