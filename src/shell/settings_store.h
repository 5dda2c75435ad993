// The setting the program keeps across runs: the music library path, the folder
// from which "Select main folder" starts browsing. It lives under the key
// "Software\Halvern Labs\Brambex" of the user's settings (the registry on Windows, a
// file under the XDG config folder elsewhere), as that key's default value.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <string>

namespace brambex {

inline constexpr const char* LibraryPathKey = "Software\\Halvern Labs\\Brambex";
// Longest stored value, in bytes with its terminator, that the program accepts.
inline constexpr std::size_t MaxLibraryPathBytes = 512;

// Empty when not set. Read once at start-up; changed by the Options dialog.
extern std::string MusicLibraryPath;

// Fills MusicLibraryPath from the store. A key without a default value, or with one
// that does not fit, is deleted and the path stays empty; a store that cannot be read
// is left as it is, with the path empty; nothing is ever reported.
void LoadLibraryPath();

// Writes the path as the key's default value, creating the key when needed. False when
// the key can be neither opened nor created, or the value could not be written.
bool StoreLibraryPath(const std::string& path);

enum class ForgetResult {
    NoKey,        // the key does not exist or cannot be opened; nothing was changed
    Forgotten,    // the key now holds the empty value
    WriteFailed,  // the key exists but the empty value could not be written
};
// Stores the empty value under an existing key.
ForgetResult ForgetStoredLibraryPath();

// The main window's size and position as Qt saves them, kept beside the key (not in
// it: a key without the library path is deleted at start-up). Empty when none is kept.
QByteArray StoredWindowGeometry();
void StoreWindowGeometry(const QByteArray& geometry);

// Where the key lives on this system, for messages and tests: a file path, or a
// registry path on Windows.
std::string LibraryPathStoreLocation();

}  // namespace brambex
