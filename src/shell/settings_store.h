// The settings the program keeps across runs: the music library path, the folder
// from which "Select main folder" starts browsing, and the sets chosen lately. It lives under the
// key "Software\Halvern Labs\Brambex" of the user's settings (the registry on Windows, a file under
// the XDG config folder elsewhere), as that key's default value. A settings file is never deleted,
// and is changed only where the program's own value stands: one it cannot surely keep whole is left
// as it is, and the main window says so once.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <string>
#include <vector>

namespace brambex {

inline constexpr const char* LibraryPathKey = "Software\\Halvern Labs\\Brambex";

enum class ForgetResult {
    NoKey,        // the key does not exist or cannot be opened; nothing was changed
    Forgotten,    // the key now holds the empty value
    WriteFailed,  // the key exists but the empty value could not be written
};

// The application holds one store for the program's run.
class SettingsStore {
  public:
    // Empty when not set. Read once at start-up; changed by the Options dialog.
    std::string libraryPath;

    // Fills libraryPath from the store, as much as it can read; the path stays empty
    // when there is none. The store is never changed.
    void LoadLibraryPath();

    // Writes the path as the key's default value, creating the key when needed. False
    // when the key can be neither opened nor created, the value could not be written,
    // or the file had to be left as it is.
    bool StoreLibraryPath(const std::string& path);

    // Stores the empty value under an existing key.
    ForgetResult ForgetStoredLibraryPath();

    // The sets File > Open Recent offers, newest first, kept beside the library path as
    // one value ("RecentSets"); empty when none are kept or the value cannot be read.
    std::vector<std::string> StoredRecentSets();
    void StoreRecentSets(const std::vector<std::string>& paths);

    // The main window's size and position as Qt saves them, kept beside the key, in a
    // store of its own. Empty when none is kept.
    QByteArray StoredWindowGeometry();
    void StoreWindowGeometry(const QByteArray& geometry);

    // Names each settings file found that must be left as it is, once a run, and each
    // write that failed, with the system's reason: empty when nothing new is to be
    // said. The main window shows it in its status line.
    QString TakeNotice();

  private:
    QVariant ReadValue(const QString& location, const QString& name);
    bool WriteValue(const QString& location, const QString& name, const QVariant& value);
    void AddNotice(const QString& line);
    void NoteKeptFile(const QString& path, const QString& reason);

    // The files named so far this run, and the text the main window has still to show.
    QStringList notedFiles_;
    QString pendingNotice_;
};

// The application's store.
SettingsStore& Settings();

// Where the key lives on this system, for messages and tests: a file path, or a
// registry path on Windows.
std::string LibraryPathStoreLocation();
// Where the window's geometry lives: a file path, or a registry path on Windows.
std::string WindowStoreLocation();

}  // namespace brambex
