// The desktop program's run: the system's services it needs (COM for the folder
// picker, the common controls), the main window, and the message loop, which hands
// keys to the menus' shortcuts and to the dialog windows' keyboard handling.
#pragma once

#include <windows.h>

#include <functional>

namespace brambex::win32 {

// Shows the main window and runs until it is closed; the process's exit status.
// started, when given, is called with the main window once it is up (the GUI test
// starts its driver there).
int RunApplication(int show, const std::function<void(HWND)>& started = {});

}  // namespace brambex::win32
