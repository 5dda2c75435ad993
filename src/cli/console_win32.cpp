// The Windows console: UTF-8 both ways for the run, virtual-terminal sequences where
// the console takes them (Windows 10 on), answers read as UTF-16 from the console.
#include <io.h>
#include <windows.h>

#include <cstdlib>

#include "cli/console.h"
#include "platform/win32.h"

namespace brambex::cli {

namespace {

HANDLE HandleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

UINT savedOutputPage = 0;
UINT savedInputPage = 0;

// The console outlives the program; the user's code pages are theirs.
void RestoreCodePages() {
    SetConsoleOutputCP(savedOutputPage);
    SetConsoleCP(savedInputPage);
}

}  // namespace

void UseUtf8Console() {
    savedOutputPage = GetConsoleOutputCP();
    savedInputPage = GetConsoleCP();
    if (savedOutputPage == 0)
        return;  // no console: bytes go out as they are
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
    std::atexit(RestoreCodePages);
}

bool IsTerminal(std::FILE* stream) {
    DWORD mode = 0;
    return GetConsoleMode(HandleOf(stream), &mode) != 0;
}

int TerminalWidth(std::FILE* stream) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(HandleOf(stream), &info)) {
        int width = info.srWindow.Right - info.srWindow.Left + 1;
        if (width > 0)
            return width;
    }
    return 80;
}

bool EnableTerminalSequences(std::FILE* stream) {
    HANDLE console = HandleOf(stream);
    DWORD mode = 0;
    if (!GetConsoleMode(console, &mode))
        return false;
    if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)
        return true;
    return SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

bool ReadAnswerLine(std::string& line) {
    line.clear();
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode)) {
        for (int c; (c = std::fgetc(stdin)) != EOF;) {
            if (c == '\n')
                return true;
            line.push_back(static_cast<char>(c));
        }
        return false;
    }
    // The console hands out UTF-16 whatever its code page; Ctrl-C ends the read with
    // nothing read.
    std::wstring typed;
    for (;;) {
        wchar_t c;
        DWORD n = 0;
        if (!ReadConsoleW(input, &c, 1, &n, nullptr) || n == 0)
            return false;
        if (c == L'\n')
            break;
        if (c != L'\r')
            typed.push_back(c);
    }
    line = platform::Narrow(typed);
    return true;
}

std::string ShellQuoted(const std::string& text) {
    // Windows names cannot hold a double quote, so quoting is all it takes.
    return "\"" + text + "\"";
}

}  // namespace brambex::cli
