// Whether a title can name the output folder: not empty, no character a folder name
// cannot hold, and on Windows none of the names Windows keeps for itself. The Merge
// Options form refuses a title by these rules before anything is written.
#pragma once

#include <string_view>

namespace brambex {

// Characters a title may not contain, since it becomes the output folder's name.
inline constexpr std::string_view ForbiddenTitleChars = "\\/:*?\"<>|";

// Why Windows cannot give a folder this name: a device's name (CON, PRN, AUX, NUL, COM1
// to COM9, LPT1 to LPT9, in any letter case, also with an extension or with blanks
// before it: "con.txt", "Nul .mp3"), or an ending in a dot or a space, which Windows
// drops ("Book." becomes "Book").
enum class WindowsNameProblem { None, DeviceName, TrailingDotOrSpace };
WindowsNameProblem FindWindowsNameProblem(std::string_view name);

// The message that refuses the title as a folder's name; empty when it may name one.
// The Windows names are refused only where the system refuses them.
std::string_view TitleRefusalText(std::string_view title);

}  // namespace brambex
