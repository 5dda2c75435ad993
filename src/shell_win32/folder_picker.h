// The system's folder picker (the file dialog in its folder mode), and the folders it
// starts in: the music library where one is kept and still there, else the user's
// own folder.
#pragma once

#include <windows.h>

#include <string>

namespace brambex::win32 {

struct FolderChoice {
    enum Kind { Chosen, Cancelled, Failed } kind = Cancelled;
    std::string path;  // when chosen
};

FolderChoice ChooseFolder(HWND owner, const std::string& start, const std::string& title);

// The user's own folder ("C:\Users\Name").
std::string HomeFolder();
// Where choosing a set starts: the library path when it is a folder, else home.
std::string BrowseRoot(const std::string& libraryPath);

}  // namespace brambex::win32
