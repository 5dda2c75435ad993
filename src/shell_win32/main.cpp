// brambex.exe: the desktop program on Windows.
#include <windows.h>

#include "shell_win32/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    return brambex::win32::RunApplication(show);
}
