// The "Options" dialog: shows the music library path and sets or forgets it. Changes
// take effect at once, however the dialog is closed.
#pragma once

#include <windows.h>

#include <string>

namespace brambex::win32 {

// libraryPath is the program's copy of the path, changed with the stored one.
void RunOptionsDialog(HWND owner, std::string& libraryPath);

}  // namespace brambex::win32
