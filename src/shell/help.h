// The user manual: where the program looks for it and how it is shown.
#pragma once

#include <string>
#include <string_view>

class QWidget;

namespace brambex {

inline constexpr const char* HelpFileName = "Brambex.html";

// The program file's path with everything after its last "/" or "\" replaced by the
// manual's name; a path without a separator gives the bare name.
std::string FormHelpFilePath(std::string_view programPath);

// The file Help opens: besideProgram (the application's help file path) when it
// exists, otherwise the copy installed under the data folder next to the program's
// folder (".../bin" -> ".../share/brambex").
std::string LocateHelpFile(const std::string& besideProgram);

// Opens the manual in the desktop's browser and returns at once; where no browser can
// be started, in the program's help window. When there is no manual, says so in a
// message box owned by owner.
void ShowHelp(QWidget* owner);

}  // namespace brambex
