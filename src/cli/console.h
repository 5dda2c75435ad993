// What the command line needs from the terminal it runs in, on each system: whether a
// stream is a terminal, its width, escape sequences, one answer line typed by the user,
// and how the system's shell quotes a word.
#pragma once

#include <cstdio>
#include <string>

namespace brambex::cli {

// Makes the console take and show UTF-8 for the rest of the run (Windows consoles
// start in an ANSI code page); nothing to do on POSIX terminals.
void UseUtf8Console();

bool IsTerminal(std::FILE* stream);
// Columns of the terminal behind the stream; 80 when it cannot be told.
int TerminalWidth(std::FILE* stream);
// Turns on the escape sequences that redraw a line ("\r", "\033[K"); false where the
// console cannot take them (Windows before 10), which then gets plain lines.
bool EnableTerminalSequences(std::FILE* stream);

// Reads one line typed on standard input, without its line end; false at the end of
// the input or at Ctrl-C.
bool ReadAnswerLine(std::string& line);

// The text as one word for the system's shell, so that a printed command can be pasted.
std::string ShellQuoted(const std::string& text);

}  // namespace brambex::cli
