// The GUI test's hands and eyes: each check printed as a line, waits for a window or a
// state, the windows of this process found by caption, clicks, texts typed and read
// through control ids, a folder dropped as Explorer drops it, a folder chosen in the
// system's folder picker by typing its path, and the files of a folder with their times.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace gui {

namespace fs = std::filesystem;

extern int passed;
extern int failed;

void Check(bool ok, const std::string& what);
// Waits up to a minute for the condition to hold.
bool WaitFor(const std::function<bool()>& condition);

std::string Text(HWND window);
std::string ItemText(HWND dialog, int id);
void TypeText(HWND dialog, int id, const std::wstring& text);
void Click(HWND dialog, int id);
// Sends a menu's command, as choosing it does.
void ChooseCommand(HWND window, int id);

// A dialog window of this process with this caption (any, for none), shown and
// enabled (ready for input), other than but; null while there is none.
HWND ShownDialog(const wchar_t* caption, HWND but = nullptr);
HWND WaitForDialog(const wchar_t* caption);
// The progress window, found by its bar whatever its caption says; null while none.
HWND ShownProgress();
// No window of ours is shown over the main window.
bool OnlyMainShown(HWND main);

// The rows of a list view, each as its cells' texts.
std::vector<std::vector<std::string>> ListRows(HWND list, int columns);
// The lines of a list box.
std::vector<std::string> BoxLines(HWND box);

// A folder dropped on the window, as Explorer drops it.
void DropFolder(HWND window, const std::string& folder);
// In the folder picker captioned caption: the folder's path typed as its name, then
// Open. False when no picker came.
bool PickFolder(const wchar_t* caption, const fs::path& folder);

std::map<std::string, fs::file_time_type> FilesIn(const fs::path& folder);
// The tracks (.mp3 files) in the folder.
int TracksIn(const fs::path& folder);

}  // namespace gui
