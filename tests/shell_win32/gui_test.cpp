// The desktop program's windows driven as a user would drive them, each once: a demo
// set is dropped on the main window, Merge folders opens Merge Options, a title no
// folder can take marks its field, the title is changed, Start Merge merges, the status
// line and the folder on disk say the same, and Details lists the tracks' notes; the
// same set merged again with the question whether to empty the earlier output answered
// No leaves every file as it was. Options keeps a music library path chosen in the
// system's folder picker; the library dialog lists the sets of a folder with their
// check boxes and what will become of each, and merges the one left checked; a long
// set's merge is cancelled from its progress window; Help says where the missing
// manual should be; the program started again opens its window where it was left. The
// windows run on this program's main thread as in brambex.exe; the driver runs beside
// them and reaches them through their controls' ids. Prints one line per check.
//
// With "--screenshots FOLDER" it stops at the main window with the set chosen, at
// Merge Options and at the end of the merge, each time making NAME.ready in the folder
// and going on once NAME.done is there: docs/take_screenshots.sh photographs the
// screen in between.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/chosen_folder.h"
#include "app/demo_set.h"
#include "gui_driver.h"
#include "platform/win32.h"
#include "shell_win32/application.h"
#include "shell_win32/resource_ids.h"

namespace {

using brambex::platform::Narrow;
using brambex::platform::Widen;
using namespace gui;

std::filesystem::path shots;  // where the screenshot script waits; empty in a test

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

// The sets the test merges, beside each other in one temporary folder.
struct Sets {
    fs::path dir;
    fs::path library;  // two sets, one of them in a folder below
    fs::path longSet;  // the disc-1 folder of a set of 180 tracks
    fs::path bare;     // a track of the demo set without a tag
};

// The track loses its ID3v2 tag, so that its merge has a note to show.
bool StripTag(const fs::path& track) {
    std::ifstream in(track, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    in.close();
    if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0)
        return false;
    std::size_t size = 10;
    for (int i = 6; i < 10; ++i)
        size += static_cast<std::size_t>(bytes[i] & 0x7F) << (7 * (9 - i));
    std::ofstream(track, std::ios::binary | std::ios::trunc) << bytes.substr(size);
    return true;
}

// Three discs of 60 copies of one demo track: long enough to be cancelled halfway.
bool WriteLongSet(const fs::path& track, const fs::path& dir) {
    std::error_code error;
    for (int disc = 1; disc <= 3 && !error; ++disc) {
        const fs::path folder = dir / (L"Long Book Disc " + std::to_wstring(disc));
        fs::create_directories(folder, error);
        for (int number = 1; number <= 60 && !error; ++number) {
            wchar_t name[32];
            std::swprintf(name, std::size(name), L"%02d Part.mp3", number);
            fs::copy_file(track, folder / name, error);
        }
    }
    return !error;
}

bool WriteSets(Sets& sets, std::string& error) {
    const fs::path one = Widen(brambex::DemoFirstDiscPath(Narrow(sets.dir.wstring())));
    sets.library = sets.dir / L"Shelf";
    sets.longSet = sets.dir / L"Long Book Disc 1";
    sets.bare = sets.dir / L"The Lighthouse Keeper Disc 2" / L"01 Storm Warning.mp3";
    if (!brambex::WriteDemoSet(Narrow(sets.dir.wstring()), error) ||
        !brambex::WriteDemoSet(Narrow(sets.library.wstring()), error) ||
        !brambex::WriteDemoSet(Narrow((sets.library / L"More").wstring()), error))
        return false;
    error = "cannot write the long set or strip a tag";
    return WriteLongSet(one / L"01 Arrival.mp3", sets.dir) && StripTag(sets.bare);
}

// The warning sign's tip, where the dialog's tooltip window has one for it.
std::string TipOf(HWND dialog, HWND sign) {
    wchar_t text[1024] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(sign);
    tool.lpszText = text;
    HWND tips = nullptr;
    while ((tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)) != nullptr)
        if (GetWindow(tips, GW_OWNER) == dialog)
            SendMessageW(tips, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
    return Narrow(text);
}

// A title no folder can be named by marks its field, says why when pointed at, and
// Start Merge waits; the title typed, the sign goes.
void MarkTitle(HWND options, const wchar_t* title) {
    HWND sign = GetDlgItem(options, IDC_TITLE_MARK);
    TypeText(options, IDC_TITLE, title + std::wstring(L"?"));
    const std::string problem = ItemText(options, IDC_PROBLEM);
    Check(IsWindowVisible(sign) && !IsWindowVisible(GetDlgItem(options, IDC_NAME_MARK)) &&
              !IsWindowEnabled(GetDlgItem(options, IDOK)),
          "a title with \"?\" bears a warning sign, and Start Merge waits");
    Check(!problem.empty() && TipOf(options, sign) == problem,
          "the sign's tip says why: " + TipOf(options, sign));
    TypeText(options, IDC_TITLE, title);
    Check(!IsWindowVisible(sign) && IsWindowEnabled(GetDlgItem(options, IDOK)),
          "the title mended, the sign goes and Start Merge can be pressed");
}

// Merge folders, then Merge Options with the title typed in (photographed as shot),
// then Start Merge.
bool MergeAs(HWND main, const wchar_t* title, const char* shot = nullptr) {
    Click(main, IDC_MERGE);
    HWND options = WaitForDialog(L"Merge Options");
    if (!options)
        return false;
    if (title) {
        MarkTitle(options, title);
        Check(ItemText(options, IDC_PREVIEW_FOLDERS).find(Narrow(title)) != std::string::npos,
              "the preview names the typed title's folder: " +
                  ItemText(options, IDC_PREVIEW_FOLDERS));
    }
    if (shot)
        Shot(shot);
    Click(options, IDOK);
    return true;
}

// Details lists the merge's notes, the bare track's among them, and closes.
void ShowDetails(HWND main, const Sets& sets) {
    Check(IsWindowVisible(GetDlgItem(main, IDC_DETAILS)), "Details is offered");
    Click(main, IDC_DETAILS);
    HWND details = WaitForDialog(L"Details");
    const std::vector<std::string> lines = BoxLines(GetDlgItem(details, IDC_DETAILS_LIST));
    Check(
        lines.size() == 1 && lines[0] == Narrow(sets.bare.lexically_relative(sets.dir).wstring()) +
                                             ": no tag, a new one made",
        "Details lists the track that had no tag: " + (lines.empty() ? "" : lines[0]));
    Click(details, IDOK);
    Check(WaitFor([&] { return OnlyMainShown(main); }), "Close closes Details");
}

void MergeDemoSet(HWND main, const Sets& sets) {
    const std::string discOne = brambex::DemoFirstDiscPath(Narrow(sets.dir.wstring()));
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
    const fs::path output = sets.dir / L"GUI Test Book_1";
    const auto merged = FilesIn(output);
    Check(TracksIn(output) == 9 && merged.count("merged") == 1,
          "the output folder holds the 9 tracks and its mark: " + std::to_string(TracksIn(output)));
    Check(ItemText(main, IDC_STATUS).find("GUI Test Book_1") != std::string::npos,
          "the status line names the output folder");
    Check(IsWindowVisible(GetDlgItem(main, IDC_OPEN_FOLDER)), "Open folder is offered");
    Check(WaitFor([&] { return OnlyMainShown(main); }),
          "the progress window goes once the merge has ended");
    Shot("windows-merge-ended");
    ShowDetails(main, sets);

    // Merged again into the same folder: No to emptying it changes nothing.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    Check(MergeAs(main, L"GUI Test Book_1"), "Merge folders opens Merge Options again");
    HWND question = nullptr;
    Check(WaitFor([&] {
              question = ShownDialog(nullptr, main);
              return question && GetDlgItem(question, IDNO);
          }),
          "the merge asks whether to empty the earlier output");
    if (question)
        Click(question, IDNO);
    const bool skipped =
        WaitFor([&] { return ItemText(main, IDC_STATUS) == "Skipping this merge."; });
    Check(skipped, "No skips the merge: " + ItemText(main, IDC_STATUS));
    Check(FilesIn(output) == merged, "No leaves every output file as it was");
}

// The music library path as the settings store keeps it: the key's default value.
std::string KeptLibraryPath() {
    wchar_t path[MAX_PATH] = {};
    DWORD bytes = sizeof path;
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\Halvern Labs\\Brambex", nullptr, RRF_RT_REG_SZ,
                 nullptr, path, &bytes);
    return Narrow(path);
}

// Options: Set Music Library Path, the folder picked, OK; the path is kept.
void SetLibraryPath(HWND main, const fs::path& library) {
    ChooseCommand(main, IDM_OPTIONS);
    HWND options = WaitForDialog(L"Options");
    Check(options != nullptr, "File > Options opens Options");
    Click(options, IDC_SET_LIBRARY);
    Check(PickFolder(L"Where is your music library?", library),
          "Set Music Library Path opens the folder picker");
    const std::string path = Narrow(library.wstring());
    const bool shown = WaitFor([&] { return ItemText(options, IDC_LIBRARY_PATH) == path; });
    Check(shown, "Options shows the library path picked: " + ItemText(options, IDC_LIBRARY_PATH));
    Click(options, IDOK);
    Check(WaitFor([&] { return OnlyMainShown(main); }), "OK closes Options");
    Check(KeptLibraryPath() == path, "the library path is kept: " + KeptLibraryPath());
}

// The library dialog on the folder of two sets: the one below is unchecked, the other
// merged.
void MergeLibrary(HWND main, const fs::path& library) {
    ChooseCommand(main, IDM_LIBRARY);
    Check(PickFolder(L"Choose the folder that holds the sets", library),
          "Merge a library opens the folder picker");
    HWND dialog = WaitForDialog(L"Merge a library");
    HWND list = GetDlgItem(dialog, IDC_LIBRARY_LIST);
    const auto rows = ListRows(list, 5);
    Check(rows.size() == 2 && ListView_GetCheckState(list, 0) && ListView_GetCheckState(list, 1),
          "the library lists its two sets, checked: " + std::to_string(rows.size()));
    if (rows.size() != 2)
        return;
    const std::size_t below = rows[0][0].starts_with("More") ? 0 : 1, other = 1 - below;
    const std::string into = "\"The Lighthouse Keeper_1\"";
    Check(rows[other][4] == "Will be merged into " + into,
          "\"What happens\" says where a set goes: " + rows[other][4]);
    ListView_SetCheckState(list, static_cast<int>(below), FALSE);
    const bool left = WaitFor([&] { return ListRows(list, 5)[below][4] == "Left as it is"; });
    Check(left && ItemText(dialog, IDC_LIBRARY_SUMMARY) == "2 sets found, 1 checked.",
          "a set unchecked is left as it is: " + ItemText(dialog, IDC_LIBRARY_SUMMARY));
    Click(dialog, IDC_LIBRARY_MERGE);
    HWND options = WaitForDialog(L"Merge Options");
    Check(options != nullptr, "Merge asks Merge Options once for the sets");
    Click(options, IDOK);
    Check(WaitFor([] { return ShownProgress() != nullptr; }), "the merge shows its progress");
    const bool ended =
        WaitFor([&] { return ItemText(dialog, IDC_LIBRARY_SUMMARY) == "1 merged, 0 failed."; });
    Check(ended, "the summary counts the set merged: " + ItemText(dialog, IDC_LIBRARY_SUMMARY));
    Check(ListRows(list, 5)[other][4] == "Merged into " + into,
          "the merged set's row says where it went");
    Check(TracksIn(library / L"The Lighthouse Keeper_1") == 9 &&
              !fs::exists(library / L"More" / L"The Lighthouse Keeper_1"),
          "the checked set is merged, the other not");
    Click(dialog, IDCANCEL);
    Check(WaitFor([&] { return OnlyMainShown(main); }), "Close closes the library dialog");
}

// The long set's merge, cancelled from its progress window as soon as it shows.
void CancelMerge(HWND main, const fs::path& discOne) {
    DropFolder(main, Narrow(discOne.wstring()));
    Check(WaitFor([&] { return ItemText(main, IDC_SET_PATH) == Narrow(discOne.wstring()); }),
          "the long set is chosen");
    Check(MergeAs(main, nullptr), "Merge folders opens Merge Options for it");
    HWND progress = nullptr;
    Check(WaitFor([&] { return (progress = ShownProgress()) != nullptr; }),
          "the merge shows its progress window");
    Click(progress, IDCANCEL);
    const bool cancelled =
        WaitFor([&] { return ItemText(main, IDC_STATUS).starts_with("Merge cancelled. "); });
    Check(cancelled, "the status line says the merge was cancelled: " + ItemText(main, IDC_STATUS));
    Check(WaitFor([&] { return OnlyMainShown(main); }) &&
              IsWindowEnabled(GetDlgItem(main, IDC_MERGE)) &&
              !IsWindowVisible(GetDlgItem(main, IDC_OPEN_FOLDER)),
          "the main window is back, with the set to merge again and no output to open");
}

// Help > Manual, with no manual beside this program, says where it should be.
void HelpWithoutManual(HWND main) {
    ChooseCommand(main, IDM_MANUAL);
    HWND box = WaitForDialog(L"Help");
    // A message box's text is its control 0xFFFF.
    const std::string text = box ? ItemText(box, 0xFFFF) : "";
    Check(text.starts_with("The manual is missing:\n") && text.ends_with("\\Brambex.html"),
          "Help names the missing manual: " + text);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    Check(WaitFor([&] { return OnlyMainShown(main); }), "OK closes the box");
}

// Every window once; the main window is then moved and closed, and where it was left
// goes into left.
void Drive(HWND main, const Sets& sets, RECT& left) {
    MergeDemoSet(main, sets);
    SetLibraryPath(main, sets.library);
    MergeLibrary(main, sets.library);
    CancelMerge(main, sets.longSet);
    HelpWithoutManual(main);
    SetWindowPos(main, nullptr, 50, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(main, &left);
    PostMessageW(main, WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = brambex::ProgramArguments(argc, argv);
    if (arguments.size() == 2 && arguments[0] == "--screenshots")
        shots = Widen(arguments[1]);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    Sets sets;
    sets.dir = fs::path(temp) / (L"brambex-gui-" + std::to_wstring(GetCurrentProcessId()));
    std::string error;
    if (!WriteSets(sets, error)) {
        std::printf("cannot write the sets: %s\n", error.c_str());
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
    RECT left{}, opened{};
    brambex::win32::RunApplication(SW_SHOWNORMAL, [&](HWND main) {
        driver = std::thread([main, &sets, &left] { Drive(main, sets, left); });
    });
    if (driver.joinable())
        driver.join();
    // Started again, the window opens where it was left.
    brambex::win32::RunApplication(SW_SHOWNORMAL, [&](HWND main) {
        GetWindowRect(main, &opened);
        PostMessageW(main, WM_CLOSE, 0, 0);
    });
    Check(left.left == 50 && EqualRect(&left, &opened),
          "the window opens where it was left: " + std::to_string(opened.left) + "," +
              std::to_string(opened.top));
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(user);
    RegDeleteTreeW(HKEY_CURRENT_USER, settings.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Brambex Tests");
    std::error_code ignored;
    fs::remove_all(sets.dir, ignored);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
