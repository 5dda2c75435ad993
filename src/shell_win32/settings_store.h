// The settings the program keeps across runs, where the Qt program on Windows keeps
// them too: the music library path, the folder from which choosing a folder starts, as
// the default value of the key "HKEY_CURRENT_USER\Software\Halvern Labs\Brambex", and
// the sets chosen lately as its value "RecentSets". The main window's place on the
// screen is the value "Placement" of the key "Brambex Window" beside it, where the Qt
// program keeps its own window's geometry.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace brambex::win32 {

enum class ForgetResult {
    NoKey,        // the key does not exist or cannot be opened; nothing was changed
    Forgotten,    // the key now holds the empty value
    WriteFailed,  // the key exists but the empty value could not be written
};

// Empty when none is kept or it cannot be read.
std::string LoadLibraryPath();
// Writes the path, making the key where needed; false when that fails.
bool StoreLibraryPath(const std::string& path);
// Stores the empty value under an existing key.
ForgetResult ForgetLibraryPath();

// Newest first; none when none are kept or they cannot be read.
std::vector<std::string> LoadRecentSets();
void StoreRecentSets(const std::vector<std::string>& paths);

// The window's rectangle as it was last closed (not minimised nor maximised), as
// GetWindowPlacement gives it; none when none is kept or it cannot be read.
std::optional<RECT> LoadWindowPlacement();
void StoreWindowPlacement(const RECT& place);

}  // namespace brambex::win32
