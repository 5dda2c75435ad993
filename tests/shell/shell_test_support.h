// Helpers for the desktop program's tests: the application object with a private
// config folder, a scripted folder browser, answering modal dialogs from a timer, and
// disc sets of small MP3 files built from bytes.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/desktop_services.h"

namespace brambex::testing {

// Stands in for the folder browser and the web browser.
class FakeDesktop : public DesktopServices {
  public:
    struct Browse {
        std::string root;
        QString title;
    };
    std::deque<FolderChoice> choices;  // answered in turn; Cancelled when run out
    std::string throwText;             // when set, the browser throws this error
    std::vector<Browse> browses;
    std::vector<std::string> helpOpened;
    std::vector<std::string> foldersOpened;
    bool noBrowser = false;      // no web browser can be started
    bool noFileManager = false;  // no file manager can be started

    FolderChoice ChooseFolder(QWidget*, const std::string& root, const QString& title) override {
        browses.push_back({root, title});
        if (!throwText.empty())
            throw std::runtime_error(throwText);
        if (choices.empty())
            return {FolderChoice::Cancelled, {}};
        FolderChoice next = choices.front();
        choices.pop_front();
        return next;
    }
    bool OpenHelpFile(const std::string& path) override {
        helpOpened.push_back(path);
        return !noBrowser;
    }
    bool OpenFolder(const std::string& path) override {
        foldersOpened.push_back(path);
        return !noFileManager;
    }
};

// A message box as the user saw it.
struct SeenBox {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Runs action on the next modal window whose object name is objectName, once it is
// up (polled from a timer). Fails the running test when none comes within the time.
void WhenModal(const QString& objectName, std::function<void(QWidget*)> action,
               int timeoutMs = 10000);

// Answers the next message box with button (No when a question has no such button),
// recording what it showed into *seen; the box is not shown.
void AnswerMessageBox(SeenBox* seen, QMessageBox::StandardButton button = QMessageBox::Ok);

// Runs events until condition holds or the time is up; the condition's last value.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// The visible top-level windows, for checking that a test left nothing behind.
int VisibleTopLevels();

// An MP3 file built from bytes: an ID3v2.3 tag with album, artist, genre and title,
// some frame-sync filler as audio, and an ID3v1 trailer.
std::string TrackBytes(const std::string& album, const std::string& artist,
                       const std::string& genre, const std::string& title);

// Disc folders "<stem> <n>" in dir, each with tracksPerDisc tracks "NN Track N.mp3".
// Returns the path of the first disc's folder.
std::string MakeDiscSet(const QTemporaryDir& dir, const std::string& stem, int discs,
                        int tracksPerDisc, const std::string& album = "Moby Dick Disc 1");

// Points the settings store at a fresh config folder inside dir.
void UseConfigFolder(const QTemporaryDir& dir);

}  // namespace brambex::testing

// A main for a Qt Test class that creates the real application object first, with
// a config folder of its own so that no test reaches the user's settings. It runs
// offscreen, on the offscreen screens the environment names where it names them.
#define BRAMBEX_SHELL_TEST_MAIN(TestClass)                       \
    int main(int argc, char** argv) {                            \
        if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen")) \
            qputenv("QT_QPA_PLATFORM", "offscreen");             \
        QTemporaryDir config;                                    \
        brambex::testing::UseConfigFolder(config);               \
        brambex::Application app(argc, argv);                    \
        TestClass tests;                                         \
        return QTest::qExec(&tests, argc, argv);                 \
    }
