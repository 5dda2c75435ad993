#include "shell/desktop_services.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include "shell/application.h"

namespace brambex {

namespace {

// Opens a local file or folder with the desktop's program for it. On Linux and the other
// free desktops Qt hands it to xdg-open, which some minimal systems lack; without it
// nothing could show the file, whatever Qt answers.
bool OpenLocal(const std::string& path) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return false;
#endif
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

class QtDesktopServices : public DesktopServices {
  public:
    FolderChoice ChooseFolder(QWidget* owner, const std::string& root,
                              const QString& title) override {
        QString start = QString::fromStdString(root);
        // Qt's dialog would quietly start elsewhere; a root that is gone is a failure
        // the user must hear about, because it comes from a stored setting.
        if (!QFileInfo(start).isDir())
            return {FolderChoice::Failed, {}};
        QString chosen = QFileDialog::getExistingDirectory(owner, title, start);
        if (chosen.isEmpty())
            return {FolderChoice::Cancelled, {}};
        return {FolderChoice::Chosen, QDir::toNativeSeparators(chosen).toStdString()};
    }
    bool OpenHelpFile(const std::string& path) override { return OpenLocal(path); }
    bool OpenFolder(const std::string& path) override { return OpenLocal(path); }
};

}  // namespace

std::unique_ptr<DesktopServices> MakeQtDesktopServices() {
    return std::make_unique<QtDesktopServices>();
}

DesktopServices& Desktop() {
    return Application::Instance()->Desktop();
}

void SetDesktopServices(DesktopServices* services) {
    Application::Instance()->SetDesktop(services);
}

std::string HomeFolder() {
    return QDir::homePath().toStdString();
}

}  // namespace brambex
