// Help: the HTML manual beside the program, opened in the user's web browser. A
// missing manual, or no browser to show it, is said in a box.
#pragma once

#include <windows.h>

namespace brambex::win32 {

inline constexpr const char* HelpFileName = "Brambex.html";

void ShowHelp(HWND owner);

}  // namespace brambex::win32
