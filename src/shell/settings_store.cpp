#include "shell/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

namespace brambex {

std::string MusicLibraryPath;

namespace {

// QSettings names the default value of a registry key "Default"; the file store uses
// the same name so that both systems read alike.
const QString DefaultValueName = QStringLiteral("Default");

#ifdef Q_OS_WIN
const QString ParentKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Halvern Labs");
const QString KeyPath = ParentKey + QStringLiteral("\\Brambex");

bool KeyExists() {
    QSettings parent(ParentKey, QSettings::NativeFormat);
    return parent.childGroups().contains(QStringLiteral("Brambex"));
}
std::unique_ptr<QSettings> OpenKey() {
    return std::make_unique<QSettings>(KeyPath, QSettings::NativeFormat);
}
void DeleteKey() {
    QSettings parent(ParentKey, QSettings::NativeFormat);
    parent.remove(QStringLiteral("Brambex"));
    parent.sync();
}
bool MakeKey() {
    return true;
}
#else
// Worked out at every use so that a changed XDG_CONFIG_HOME (tests) takes effect.
QString KeyFile() {
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QStringLiteral("/Halvern Labs/Brambex.conf");
}
bool KeyExists() {
    return QFileInfo(KeyFile()).isFile();
}
std::unique_ptr<QSettings> OpenKey() {
    return std::make_unique<QSettings>(KeyFile(), QSettings::IniFormat);
}
void DeleteKey() {
    QFile::remove(KeyFile());
}
bool MakeKey() {
    QFileInfo file(KeyFile());
    if (!QDir().mkpath(file.absolutePath()))
        return false;
    if (file.exists())
        return file.isFile();
    QFile created(file.absoluteFilePath());
    return created.open(QIODevice::WriteOnly);
}
#endif

std::unique_ptr<QSettings> OpenWindowStore() {
#ifdef _WIN32
    return std::make_unique<QSettings>(ParentKey + QStringLiteral("\\Brambex Window"),
                                       QSettings::NativeFormat);
#else
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::make_unique<QSettings>(config + QStringLiteral("/Halvern Labs/Brambex Window.conf"),
                                       QSettings::IniFormat);
#endif
}

const QString GeometryName = QStringLiteral("Geometry");

}  // namespace

QByteArray StoredWindowGeometry() {
    return OpenWindowStore()->value(GeometryName).toByteArray();
}

void StoreWindowGeometry(const QByteArray& geometry) {
    OpenWindowStore()->setValue(GeometryName, geometry);
}

void LoadLibraryPath() {
    MusicLibraryPath.clear();
    if (!KeyExists())
        return;
    bool readFailed = true;
    {
        auto key = OpenKey();
        // A store that cannot be read (no permission, a file damaged or written by
        // something else) may still hold what the user wants: it is left as it is, and
        // the program runs without the setting.
        if (key->status() != QSettings::NoError)
            return;
        if (key->contains(DefaultValueName)) {
            std::string value = key->value(DefaultValueName).toString().toStdString();
            // The stored text and its terminator must fit the path's 512 bytes; a
            // longer value is treated as a failed read rather than cut.
            if (value.size() < MaxLibraryPathBytes) {
                MusicLibraryPath = value;
                readFailed = false;
            }
        }
    }
    if (readFailed)
        DeleteKey();
}

bool StoreLibraryPath(const std::string& path) {
    if (!KeyExists() && !MakeKey())
        return false;
    auto key = OpenKey();
    key->setValue(DefaultValueName, QString::fromStdString(path));
    key->sync();
    return key->status() == QSettings::NoError;
}

ForgetResult ForgetStoredLibraryPath() {
    if (!KeyExists())
        return ForgetResult::NoKey;
    auto key = OpenKey();
    key->setValue(DefaultValueName, QString());
    key->sync();
    return key->status() == QSettings::NoError ? ForgetResult::Forgotten
                                               : ForgetResult::WriteFailed;
}

std::string LibraryPathStoreLocation() {
#ifdef Q_OS_WIN
    return KeyPath.toStdString();
#else
    return KeyFile().toStdString();
#endif
}

}  // namespace brambex
