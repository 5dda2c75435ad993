#include "shell_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <memory>

#include "shell/message_box.h"
#include "support/tag_bytes.h"

namespace brambex::testing {

namespace {

void WriteFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write test file");
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace

void WhenModal(const QString& objectName, std::function<void(QWidget*)> action, int timeoutMs) {
    auto* timer = new QTimer(qApp);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && modal->objectName() == objectName) {
            timer->stop();
            timer->deleteLater();
            action(modal);
            return;
        }
        if (started->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            QTest::qFail(qPrintable("no modal window " + objectName + " came up"), __FILE__,
                         __LINE__);
        }
    });
    timer->start();
}

void AnswerMessageBox(SeenBox* seen, QMessageBox::StandardButton button) {
    // Answered where the program shows it, and only the next one.
    SetMessageBoxAnswererForTesting([seen, button](const MessageBoxShown& box) {
        if (seen)
            *seen = {box.text, box.caption, MessageBoxIcon(box.style)};
        const Answer answer = button == QMessageBox::Yes ? Answer::Yes : Answer::No;
        SetMessageBoxAnswererForTesting(nullptr);
        return answer;
    });
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

int VisibleTopLevels() {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            ++count;
    }
    return count;
}

std::string TrackBytes(const std::string& album, const std::string& artist,
                       const std::string& genre, const std::string& title) {
    std::string frames = TextFrame("TALB", album) + TextFrame("TPE1", artist) +
                         TextFrame("TPE2", artist) + TextFrame("TCON", genre) +
                         TextFrame("TIT2", title);
    return PaddedTag(frames, 128) + FillerAudio(16384) +
           Trailer(title, artist, album, 1, 12, "2001");
}

std::string MakeDiscSet(const QTemporaryDir& dir, const std::string& stem, int discs,
                        int tracksPerDisc, const std::string& album) {
    for (int d = 1; d <= discs; ++d) {
        QString folder = dir.filePath(QString::fromStdString(stem + " " + std::to_string(d)));
        QDir().mkpath(folder);
        for (int t = 1; t <= tracksPerDisc; ++t) {
            QString name = QString::asprintf("%02d Track %d.mp3", t, t);
            WriteFile(folder + "/" + name,
                      TrackBytes(album, "Herman Melville", "(101)", "Track " + std::to_string(t)));
        }
    }
    return dir.filePath(QString::fromStdString(stem + " 1")).toStdString();
}

void UseConfigFolder(const QTemporaryDir& dir) {
    QString config = dir.filePath(QStringLiteral("config"));
    QDir().mkpath(config);
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
}

}  // namespace brambex::testing
