#include "shell/settings_store.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <utility>

#include "app/recent_sets.h"
#include "shell/application.h"
#include "shell/settings_file.h"

namespace brambex {

namespace {

// QSettings names the default value of a registry key "Default"; the file store uses
// the same name so that both systems read alike.
const QString DefaultValueName = QStringLiteral("Default");

#ifdef Q_OS_WIN
const QString ParentKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Halvern Labs");

QString KeyLocation() {
    return ParentKey + QStringLiteral("\\Brambex");
}
QString WindowLocation() {
    return ParentKey + QStringLiteral("\\Brambex Window");
}
bool StoreExists(const QString& location) {
    QSettings parent(ParentKey, QSettings::NativeFormat);
    return parent.childGroups().contains(location.section(QLatin1Char('\\'), -1));
}
#else
// Worked out at every use so that a changed XDG_CONFIG_HOME (tests) takes effect.
QString ConfigFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Halvern Labs/");
}
QString KeyLocation() {
    return ConfigFolder() + QStringLiteral("Brambex.conf");
}
QString WindowLocation() {
    return ConfigFolder() + QStringLiteral("Brambex Window.conf");
}
bool StoreExists(const QString& location) {
    return QFileInfo(location).isFile();
}

#endif

const QString GeometryName = QStringLiteral("Geometry");
// A list of paths is one JSON text: an INI list would be read back as a single text
// when it holds one path, and a path may hold any character but NUL.
const QString RecentSetsName = QStringLiteral("RecentSets");

}  // namespace

#ifdef Q_OS_WIN
QVariant SettingsStore::ReadValue(const QString& location, const QString& name) {
    return QSettings(location, QSettings::NativeFormat).value(name);
}
bool SettingsStore::WriteValue(const QString& location, const QString& name,
                               const QVariant& value) {
    QSettings key(location, QSettings::NativeFormat);
    key.setValue(name, value);
    key.sync();
    return key.status() == QSettings::NoError;
}
#else
void SettingsStore::AddNotice(const QString& line) {
    if (!pendingNotice_.isEmpty())
        pendingNotice_ += QLatin1Char('\n');
    pendingNotice_ += line;
}

void SettingsStore::NoteKeptFile(const QString& path, const QString& reason) {
    if (reason.isEmpty() || notedFiles_.contains(path))
        return;
    notedFiles_.append(path);
    AddNotice(QStringLiteral("The settings file \"%1\" was left as it is: %2.").arg(path, reason));
}

QVariant SettingsStore::ReadValue(const QString& location, const QString& name) {
    SettingsFile file = ReadSettingsFile(location);
    NoteKeptFile(location, file.keepReason);
    return file.values.value(name);
}
bool SettingsStore::WriteValue(const QString& location, const QString& name,
                               const QVariant& value) {
    SettingsWrite write = WriteSettingsValue(location, name, value);
    if (write.outcome == SettingsWrite::LeftAsItIs)
        NoteKeptFile(location, write.reason);
    else if (write.outcome == SettingsWrite::Failed)
        AddNotice(QStringLiteral("Cannot write the settings file \"%1\": %2.")
                      .arg(location, write.reason));
    return write.outcome == SettingsWrite::Written;
}
#endif

SettingsStore& Settings() {
    return Application::Instance()->Settings();
}

QByteArray SettingsStore::StoredWindowGeometry() {
    return ReadValue(WindowLocation(), GeometryName).toByteArray();
}

void SettingsStore::StoreWindowGeometry(const QByteArray& geometry) {
    WriteValue(WindowLocation(), GeometryName, geometry);
}

std::vector<std::string> SettingsStore::StoredRecentSets() {
    return ReadRecentSetsText(ReadValue(KeyLocation(), RecentSetsName).toString().toStdString());
}

void SettingsStore::StoreRecentSets(const std::vector<std::string>& paths) {
    WriteValue(KeyLocation(), RecentSetsName, QString::fromStdString(RecentSetsText(paths)));
}

void SettingsStore::LoadLibraryPath() {
    libraryPath = ReadValue(KeyLocation(), DefaultValueName).toString().toStdString();
}

bool SettingsStore::StoreLibraryPath(const std::string& path) {
    return WriteValue(KeyLocation(), DefaultValueName, QString::fromStdString(path));
}

ForgetResult SettingsStore::ForgetStoredLibraryPath() {
    if (!StoreExists(KeyLocation()))
        return ForgetResult::NoKey;
    return WriteValue(KeyLocation(), DefaultValueName, QString()) ? ForgetResult::Forgotten
                                                                  : ForgetResult::WriteFailed;
}

std::string LibraryPathStoreLocation() {
    return KeyLocation().toStdString();
}

std::string WindowStoreLocation() {
    return WindowLocation().toStdString();
}

QString SettingsStore::TakeNotice() {
    return std::exchange(pendingNotice_, QString());
}

}  // namespace brambex
