// Takes the README's pictures of the real windows: the main window with a sample set
// chosen, the Merge Options dialog that "Merge folders" opens for it with its preview,
// the main window once the merge has ended, and its Details. Run it on an X display
// (docs/take_screenshots.sh starts one with Xvfb):
//   brambex-screenshots DISC1_FOLDER OUTPUT_FOLDER
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>

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

}  // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: brambex-screenshots DISC1_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    QString output = QString::fromLocal8Bit(argv[2]);
    testing::FakeDesktop desktop;
    desktop.choices.push_back({FolderChoice::Chosen, argv[1]});
    SetDesktopServices(&desktop);

    MainWindow* window = app.CreateMainWindow();
    window->SelectMainFolder();
    bool ok = true;
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
                        QTimer::singleShot(200, [&] { app.quit(); });
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
