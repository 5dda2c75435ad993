#include "shell_win32/help.h"

#include <shellapi.h>

#include <string>

#include "platform/win32.h"
#include "shell_win32/controls.h"

namespace brambex::win32 {

void ShowHelp(HWND owner) {
    const std::string file = ProgramFolder() + HelpFileName;
    const std::wstring path = platform::Widen(file);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool exists =
        attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (exists && reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", path.c_str(), nullptr,
                                                          nullptr, SW_SHOWNORMAL)) > 32)
        return;
    const std::string text = exists ? "No web browser could be started to show the manual\n" + file
                                    : "The manual is missing:\n" + file;
    ShowMessageBox(owner, text, "Help", MessageKind::Warning);
}

}  // namespace brambex::win32
