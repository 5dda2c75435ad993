// A settings file in the INI form that QSettings reads, changed one key at a time in
// place: every other line, comment and byte stays as it was. QSettings would write the
// whole file anew, dropping comments and all it could not read, so here it only reads
// values and spells the one new line. A file whose other content cannot surely be kept
// (UTF-16 text, a file QSettings cannot parse, a key given twice) is never written.
#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QVariant>

namespace brambex {

struct SettingsFile {
    bool exists = false;
    // The bytes on disk.
    QByteArray bytes;
    // What QSettings reads from it, keyed as QSettings keys them ("Default",
    // "Other/Default"); empty when it cannot be parsed.
    QSettings::SettingsMap values;
    // Why the file must be left as it is, in the user's words; empty when it may be
    // changed.
    QString keepReason;
};

// Reads what it can: a UTF-16 file (told by its byte-order mark) is read through a
// conversion, but marked to be kept.
SettingsFile ReadSettingsFile(const QString& path);

struct SettingsWrite {
    enum Outcome { Written, LeftAsItIs, Failed } outcome = Written;
    // Why the file was left as it is, or the system's reason for the failed write.
    QString reason;
};

// Sets `key` of the file's root group ("[General]") to `value`, creating the file and
// its folder when they are missing. The file is replaced whole or not at all.
SettingsWrite WriteSettingsValue(const QString& path, const QString& key, const QVariant& value);

}  // namespace brambex
