// "Details": the notes of the last merge's tracks, one line each, in a list to read.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace brambex::win32 {

void RunDetailsDialog(HWND owner, const std::vector<std::string>& notes);

}  // namespace brambex::win32
