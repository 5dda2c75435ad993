// Takes the README's pictures of the real windows: the main window with a sample set
// chosen, the Merge Options dialog that "Merge folders" opens for it with its preview,
// the main window once the merge has ended, and its Details; then the set's disc 2
// chosen (with "Use disc 1 instead"), the library dialog over the folder that holds the
// set, the open File menu, and a merge of the set that stops at a track that became a
// folder after the check. Run it on an X display (docs/take_screenshots.sh starts one
// with Xvfb):
//   brambex-screenshots DISC1_FOLDER OUTPUT_FOLDER [NAME]
// With NAME it takes Merge Options alone, saved under that name (the script runs it so
// at twice the scale).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/progress_dialog.h"
#include "shell_test_support.h"

using namespace brambex;

namespace {

// Taken from the screen, so that a window manager's frame and caption are in the
// picture; without one the frame is the window itself.
bool Save(QWidget* window, const QString& file) {
    QRect frame = window->frameGeometry();
    QPixmap picture =
        window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    if (!picture.save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

// The pictures after the first merge, one after the other; `done` ends the run.
struct LaterShots {
    MainWindow* window;
    testing::FakeDesktop* desktop;
    QString first;   // the set's disc-1 folder
    QString output;  // where the pictures go
    bool* ok;
    std::function<void()> done;

    QString Disc(int number) const { return first.chopped(1) + QString::number(number); }
    void Take(QWidget* shown, const char* name) {
        *ok = Save(shown, output + QLatin1Char('/') + QLatin1String(name)) && *ok;
    }

    void Finding() {
        window->SelectFolder(Disc(2).toStdString());
        QTimer::singleShot(500, [this] {
            Take(window, "set-finding.png");
            Library();
        });
    }
    void Library() {
        desktop->choices.push_back({FolderChoice::Chosen, QFileInfo(first).path().toStdString()});
        testing::WhenModal(QStringLiteral("libraryDialog"), [this](QWidget* dialog) {
            QTimer::singleShot(500, dialog, [this, dialog] {
                Take(dialog, "library.png");
                static_cast<QDialog*>(dialog)->reject();
                QTimer::singleShot(200, [this] { FileMenu(); });
            });
        });
        window->MergeLibrary();
    }
    void FileMenu() {
        auto* bar = window->findChild<QMenuBar*>(QStringLiteral("menuBar"));
        auto* menu = window->findChild<QMenu*>(QStringLiteral("fileMenu"));
        window->activateWindow();
        bar->setActiveAction(menu->menuAction());
        QTimer::singleShot(500, [this, menu] {
            // The window with the menu over it: the screen where both lie.
            const QRect area = window->frameGeometry().united(menu->geometry());
            const QString file = output + QStringLiteral("/file-menu.png");
            *ok = window->screen()
                      ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                      .save(file) &&
                  *ok;
            std::printf("%s\n", qPrintable(file));
            menu->close();
            Stopped();
        });
    }
    // A track made a folder while Merge Options is open, after the set's check: the
    // merge stops there, and the status line says why and where the tracks written are.
    void Stopped() {
        window->SelectFolder(first.toStdString());
        SetMessageBoxAnswererForTesting([](const MessageBoxShown&) { return Answer::Yes; });
        testing::WhenModal(QStringLiteral("mergeOptionsDialog"), [this](QWidget* dialog) {
            const QDir last(Disc(3));
            const QStringList tracks =
                last.entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
            // A folder in the track's place: the merge stops as it comes to it.
            QFile::remove(last.filePath(tracks.back()));
            last.mkdir(tracks.back());
            dialog->findChild<QPushButton*>(QStringLiteral("startMergeButton"))->click();
        });
        // The first merge's pictures are taken.
        QObject::disconnect(window, &MainWindow::mergeEnded, nullptr, nullptr);
        QObject::connect(
            window, &MainWindow::mergeEnded, window,
            [this] {
                QTimer::singleShot(ProgressDialog::MinimumShowMs + 500, [this] {
                    Take(window, "merge-stopped.png");
                    SetMessageBoxAnswererForTesting(nullptr);
                    done();
                });
            },
            Qt::SingleShotConnection);
        window->MergeFolders();
    }
};

int MergeOptionsAlone(Application& app, MainWindow* window, const QString& file) {
    bool ok = false;
    QTimer::singleShot(500, [&] {
        testing::WhenModal(QStringLiteral("mergeOptionsDialog"), [&](QWidget* dialog) {
            QTimer::singleShot(500, dialog, [&, dialog] {
                ok = Save(dialog, file);
                static_cast<QDialog*>(dialog)->reject();
                QTimer::singleShot(200, [&] { app.quit(); });
            });
        });
        window->MergeFolders();
    });
    app.exec();
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: brambex-screenshots DISC1_FOLDER OUTPUT_FOLDER [NAME]\n");
        return 2;
    }
    QString output = QString::fromLocal8Bit(argv[2]);
    testing::FakeDesktop desktop;
    desktop.choices.push_back({FolderChoice::Chosen, argv[1]});
    SetDesktopServices(&desktop);

    MainWindow* window = app.CreateMainWindow();
    window->SelectMainFolder();
    if (argc == 4) {
        const int status = MergeOptionsAlone(
            app, window, output + QLatin1Char('/') + QString::fromLocal8Bit(argv[3]));
        SetDesktopServices(nullptr);
        return status;
    }
    bool ok = true;
    LaterShots later{window, &desktop, QString::fromLocal8Bit(argv[1]),
                     output, &ok,      [&] { QTimer::singleShot(200, [&] { app.quit(); }); }};
    QTimer::singleShot(500, [&] {
        ok = Save(window, output + "/main-window.png") && ok;
        testing::WhenModal(QStringLiteral("mergeOptionsDialog"), [&](QWidget* dialog) {
            QTimer::singleShot(500, dialog, [&, dialog] {
                ok = Save(dialog, output + "/merge-options.png") && ok;
                dialog->findChild<QPushButton*>(QStringLiteral("startMergeButton"))->click();
            });
        });
        QObject::connect(window, &MainWindow::mergeEnded, [&] {
            // Once the progress window has had its second on screen and gone.
            QTimer::singleShot(ProgressDialog::MinimumShowMs + 500, [&] {
                ok = Save(window, output + "/merge-ended.png") && ok;
                testing::WhenModal(QStringLiteral("detailsDialog"), [&](QWidget* details) {
                    QTimer::singleShot(500, details, [&, details] {
                        ok = Save(details, output + "/merge-details.png") && ok;
                        static_cast<QDialog*>(details)->accept();
                        QTimer::singleShot(200, [&] { later.Finding(); });
                    });
                });
                window->findChild<QPushButton*>(QStringLiteral("detailsButton"))->click();
            });
        });
        window->MergeFolders();
    });
    app.exec();
    SetDesktopServices(nullptr);
    return ok ? 0 : 1;
}
