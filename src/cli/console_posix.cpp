#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "cli/console.h"
#include "cli/interrupt.h"

namespace brambex::cli {

void UseUtf8Console() {}

bool IsTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

int TerminalWidth(std::FILE* stream) {
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

bool EnableTerminalSequences(std::FILE*) {
    return true;
}

bool ReadAnswerLine(std::string& line) {
    line.clear();
    char c;
    for (;;) {
        ssize_t n = read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR && !InterruptRequested())
            continue;
        if (n <= 0)
            return false;
        if (c == '\n')
            return true;
        line.push_back(c);
    }
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace brambex::cli
