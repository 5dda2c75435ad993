#include "shell/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <optional>

namespace brambex {

namespace {

constexpr int LockWaitMs = 2000;

struct ParsedIni {
    QSettings::SettingsMap values;
    QString failure;  // empty when parsed
};

// QSettings parses only files. The text is parsed from a private copy, which also keeps
// QSettings' cache of parsed files (checked by size and time alone) away from the real
// file that this program rewrites.
ParsedIni ParseIni(const QByteArray& text) {
    ParsedIni parsed;
    QTemporaryFile copy;
    if (!copy.open() || copy.write(text) != text.size() || !copy.flush()) {
        parsed.failure = QStringLiteral("cannot make a temporary copy: ") + copy.errorString();
        return parsed;
    }
    QSettings settings(copy.fileName(), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        parsed.failure = QStringLiteral("it cannot be read as a settings file");
        return parsed;
    }
    for (const QString& key : settings.allKeys())
        parsed.values.insert(key, settings.value(key));
    return parsed;
}

// The key's line as QSettings writes it, so that QSettings reads the same value back.
std::optional<QByteArray> IniLine(const QString& key, const QVariant& value) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return std::nullopt;
    QString path = dir.filePath(QStringLiteral("line.conf"));
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(key, value);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (QByteArray line : file.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith(key.toUtf8() + '='))
            return line;
    }
    return std::nullopt;
}

// Whether a trimmed line sets `key`.
bool SetsKey(const QByteArray& content, const QByteArray& key) {
    return content.startsWith(key) && content.mid(key.size()).trimmed().startsWith('=');
}

struct KeyPlace {
    QList<std::pair<qsizetype, qsizetype>> lines;  // start and end (before the line break)
    qsizetype afterGeneral = -1;                   // just after the first "[General]" line
};

// Where the root group sets `key`: before any section, or under "[General]".
KeyPlace FindRootKey(const QByteArray& text, const QByteArray& key) {
    KeyPlace place;
    bool root = true;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype newline = text.indexOf('\n', start);
        qsizetype next = newline < 0 ? text.size() : newline + 1;
        qsizetype end = newline < 0 ? text.size() : newline;
        QByteArray content = text.mid(start, end - start).trimmed();
        if (start == 0 && content.startsWith("\xEF\xBB\xBF"))
            content = content.mid(3).trimmed();
        if (content.startsWith('[')) {
            root = content.compare("[General]", Qt::CaseInsensitive) == 0;
            if (root && place.afterGeneral < 0)
                place.afterGeneral = next;
        } else if (root && SetsKey(content, key)) {
            place.lines.append({start, end > start && text[end - 1] == '\r' ? end - 1 : end});
        }
        start = next;
    }
    return place;
}

// The text with `line` as the root group's setting of `key`, changing nothing else;
// nullopt, with the reason, when one line cannot do it.
std::optional<QByteArray> WithRootKey(const QByteArray& text, const QByteArray& key,
                                      const QByteArray& line, QString* reason) {
    KeyPlace place = FindRootKey(text, key);
    if (place.lines.size() > 1) {
        *reason = QStringLiteral("it sets %1 more than once").arg(QString::fromUtf8(key));
        return std::nullopt;
    }
    if (place.lines.size() == 1) {
        auto [start, end] = place.lines.front();
        // A value carried on to the next line by a backslash would leave its tail behind.
        if (text.mid(start, end - start).trimmed().endsWith('\\')) {
            *reason =
                QStringLiteral("its %1 goes on over several lines").arg(QString::fromUtf8(key));
            return std::nullopt;
        }
        return text.left(start) + line + text.mid(end);
    }
    QByteArray eol = text.contains("\r\n") ? "\r\n" : "\n";
    QByteArray result = text;
    if (!result.isEmpty() && !result.endsWith('\n'))
        result += eol;
    if (place.afterGeneral >= 0)
        result.insert(std::min(place.afterGeneral, result.size()), line + eol);
    else
        result += "[General]" + eol + line + eol;
    return result;
}

// Text that is not UTF-8 is converted for reading; nullopt when it is UTF-8 already.
std::optional<QByteArray> ConvertedToUtf8(const QByteArray& bytes) {
    std::optional<QStringConverter::Encoding> encoding = QStringDecoder::encodingForData(bytes);
    if (!encoding || *encoding == QStringConverter::Utf8)
        return std::nullopt;
    QStringDecoder decoder(*encoding);
    QString text = decoder.decode(bytes);
    return text.toUtf8();
}

SettingsWrite LeftAsItIs(const QString& reason) {
    return {SettingsWrite::LeftAsItIs, reason};
}

}  // namespace

SettingsFile ReadSettingsFile(const QString& path) {
    SettingsFile file;
    QFile disk(path);
    if (!disk.exists())
        return file;
    file.exists = true;
    if (!disk.open(QIODevice::ReadOnly)) {
        file.keepReason = QStringLiteral("it cannot be read (%1)").arg(disk.errorString());
        return file;
    }
    file.bytes = disk.readAll();
    QByteArray text = file.bytes;
    if (std::optional<QByteArray> converted = ConvertedToUtf8(text)) {
        text = *converted;
        file.keepReason = QStringLiteral("it is not UTF-8 text");
    } else if (text.contains('\0')) {
        file.keepReason = QStringLiteral("it is not text");
    }
    ParsedIni parsed = ParseIni(text);
    file.values = parsed.values;
    if (file.keepReason.isEmpty())
        file.keepReason = parsed.failure;
    return file;
}

SettingsWrite WriteSettingsValue(const QString& path, const QString& key, const QVariant& value) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return {SettingsWrite::Failed, QStringLiteral("cannot make its folder")};
    // Programs that write settings through Qt take the same lock, so that a change of
    // theirs made meanwhile is not written over.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(LockWaitMs))
        return {SettingsWrite::Failed, lock.error() == QLockFile::LockFailedError
                                           ? QStringLiteral("another program holds it locked")
                                           : QStringLiteral("cannot lock it")};
    SettingsFile before = ReadSettingsFile(path);
    if (!before.keepReason.isEmpty())
        return LeftAsItIs(before.keepReason);
    std::optional<QByteArray> line = IniLine(key, value);
    if (!line)
        return {SettingsWrite::Failed, QStringLiteral("cannot spell the new setting")};
    QString reason;
    std::optional<QByteArray> edited = WithRootKey(before.bytes, key.toUtf8(), *line, &reason);
    if (!edited)
        return LeftAsItIs(reason);
    // The edit is checked by reading it back: every other value as before, this one new.
    ParsedIni after = ParseIni(*edited);
    before.values.insert(key, value);
    if (!after.failure.isEmpty() || after.values != before.values)
        return LeftAsItIs(QStringLiteral("the setting cannot be changed alone"));
    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly) || save.write(*edited) != edited->size() || !save.commit())
        return {SettingsWrite::Failed, save.errorString()};
    return {};
}

}  // namespace brambex
