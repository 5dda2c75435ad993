// The desktop program's windows driven as a user would drive them: a demo set is
// dropped on the main window, Merge folders opens Merge Options, the title is
// changed, Start Merge merges, and the status line and the folder on disk say the
// same; then the same set is merged again and the question whether to empty the
// earlier output is answered No, which leaves every file as it was. The windows run
// on this program's main thread as in brambex.exe; the driver runs beside them and
// reaches them through their controls' ids. Prints one line per check.
//
// With "--screenshots FOLDER" it stops at the main window with the set chosen, at
// Merge Options and at the end of the merge, each time making NAME.ready in the folder
// and going on once NAME.done is there: docs/take_screenshots.sh photographs the
// screen in between.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/chosen_folder.h"
#include "app/demo_set.h"
#include "platform/win32.h"
#include "shell_win32/application.h"
#include "shell_win32/resource_ids.h"

namespace {

using brambex::platform::Narrow;
using brambex::platform::Widen;
namespace fs = std::filesystem;

int passed = 0;
int failed = 0;
std::filesystem::path shots;  // where the screenshot script waits; empty in a test

void Check(bool ok, const std::string& what) {
    std::printf("%s - %s\n", ok ? "ok" : "FAIL", what.c_str());
    std::fflush(stdout);
    ++(ok ? passed : failed);
}

// Waits up to a minute for the condition to hold.
bool WaitFor(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// The screen is ready to be photographed as name; waits until it has been.
void Shot(const char* name) {
    if (shots.empty())
        return;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::string stem(name);
    std::FILE* ready = std::fopen(Narrow((shots / (stem + ".ready")).wstring()).c_str(), "w");
    if (ready)
        std::fclose(ready);
    Check(ready && WaitFor([&] { return fs::exists(shots / (stem + ".done")); }),
          "the screen is photographed as " + stem);
}

std::string Text(HWND window) {
    wchar_t text[2048] = {};
    SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return Narrow(text);
}

std::string ItemText(HWND dialog, int id) {
    return Text(GetDlgItem(dialog, id));
}

// A dialog window of this process with this caption, shown and enabled (ready for
// input); null while there is none.
HWND ShownDialog(const wchar_t* caption) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"#32770", caption)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(found, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(found) && IsWindowEnabled(found))
            return found;
    }
    return nullptr;
}

// No window of ours is shown over the main window.
bool OnlyMainShown(HWND main) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"#32770", nullptr)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(found, &process);
        if (found != main && process == GetCurrentProcessId() && IsWindowVisible(found))
            return false;
    }
    return true;
}

HWND WaitForDialog(const wchar_t* caption) {
    HWND found = nullptr;
    WaitFor([&] { return (found = ShownDialog(caption)) != nullptr; });
    return found;
}

void Click(HWND dialog, int id) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// A folder dropped on the window, as Explorer drops it.
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

std::map<std::string, fs::file_time_type> FilesIn(const fs::path& folder) {
    std::map<std::string, fs::file_time_type> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        files[Narrow(entry.path().filename().wstring())] = entry.last_write_time();
    return files;
}

// Merge folders, then Merge Options with the title typed in (photographed as shot),
// then Start Merge.
bool MergeAs(HWND main, const wchar_t* title, const char* shot = nullptr) {
    Click(main, IDC_MERGE);
    HWND options = WaitForDialog(L"Merge Options");
    if (!options)
        return false;
    SendMessageW(GetDlgItem(options, IDC_TITLE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title));
    Check(ItemText(options, IDC_PREVIEW_FOLDERS).find(Narrow(title)) != std::string::npos,
          "the preview names the typed title's folder: " + ItemText(options, IDC_PREVIEW_FOLDERS));
    if (shot)
        Shot(shot);
    Click(options, IDOK);
    return true;
}

void Drive(HWND main, const fs::path& dir) {
    const std::string discOne = brambex::DemoFirstDiscPath(Narrow(dir.wstring()));
    DropFolder(main, discOne);
    const bool chosen = WaitFor([&] { return IsWindowEnabled(GetDlgItem(main, IDC_MERGE)); });
    Check(chosen, "a dropped disc-1 folder is chosen and can be merged");
    Check(ItemText(main, IDC_SET_PATH) == discOne, "the set's path is shown");
    Check(ListView_GetItemCount(GetDlgItem(main, IDC_FOLDER_LIST)) == 3,
          "the list shows the three disc folders");
    wchar_t recent[MAX_PATH] = {};
    GetMenuStringW(GetSubMenu(GetSubMenu(GetMenu(main), 0), 1), 0, recent, MAX_PATH, MF_BYPOSITION);
    Check(Narrow(recent) == discOne, "Open Recent offers the set first: " + Narrow(recent));
    Shot("windows-main-window");

    Check(MergeAs(main, L"GUI Test Book_1", "windows-merge-options"),
          "Merge folders opens Merge Options");
    const bool done = WaitFor([&] { return ItemText(main, IDC_STATUS).rfind("Merged ", 0) == 0; });
    Check(done, "the status line says the merge is done: " + ItemText(main, IDC_STATUS));
    const fs::path output = dir / L"GUI Test Book_1";
    const auto merged = FilesIn(output);
    int tracks = 0;
    for (const auto& [name, time] : merged)
        tracks += name.ends_with(".mp3") ? 1 : 0;
    Check(tracks == 9 && merged.count("merged") == 1,
          "the output folder holds the 9 tracks and its mark: " + std::to_string(tracks));
    Check(ItemText(main, IDC_STATUS).find("GUI Test Book_1") != std::string::npos,
          "the status line names the output folder");
    Check(IsWindowVisible(GetDlgItem(main, IDC_OPEN_FOLDER)), "Open folder is offered");
    Check(WaitFor([&] { return OnlyMainShown(main); }),
          "the progress window goes once the merge has ended");
    Shot("windows-merge-ended");

    // Merged again into the same folder: No to emptying it changes nothing.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    Check(MergeAs(main, L"GUI Test Book_1"), "Merge folders opens Merge Options again");
    HWND question = nullptr;
    Check(WaitFor([&] {
              question = ShownDialog(nullptr);
              return question && question != main && GetDlgItem(question, IDNO);
          }),
          "the merge asks whether to empty the earlier output");
    if (question)
        Click(question, IDNO);
    const bool skipped =
        WaitFor([&] { return ItemText(main, IDC_STATUS) == "Skipping this merge."; });
    Check(skipped, "No skips the merge: " + ItemText(main, IDC_STATUS));
    Check(FilesIn(output) == merged, "No leaves every output file as it was");
    PostMessageW(main, WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = brambex::ProgramArguments(argc, argv);
    if (arguments.size() == 2 && arguments[0] == "--screenshots")
        shots = Widen(arguments[1]);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const fs::path dir =
        fs::path(temp) / (L"brambex-gui-" + std::to_wstring(GetCurrentProcessId()));
    std::string error;
    if (!brambex::WriteDemoSet(Narrow(dir.wstring()), error)) {
        std::printf("cannot write the demo set: %s\n", error.c_str());
        return 1;
    }
    // A window that never comes, or a loop that never ends, fails the test in time.
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::minutes(3));
        std::printf("FAIL - the windows did not end within three minutes\n%d passed, %d failed\n",
                    passed, failed + 1);
        std::fflush(stdout);
        ExitProcess(1);
    }).detach();
    // The program's settings go to a key of the test's own, not the user's.
    const std::wstring settings =
        L"Software\\Brambex Tests\\GUI " + std::to_wstring(GetCurrentProcessId());
    HKEY user = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, settings.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &user, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, user);
    std::thread driver;
    brambex::win32::RunApplication(
        SW_SHOWNORMAL, [&](HWND main) { driver = std::thread([main, dir] { Drive(main, dir); }); });
    if (driver.joinable())
        driver.join();
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(user);
    RegDeleteTreeW(HKEY_CURRENT_USER, settings.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Brambex Tests");
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
