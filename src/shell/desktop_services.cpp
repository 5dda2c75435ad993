#include "shell/desktop_services.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

#include "shell/application.h"

namespace brambex {

namespace {

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
    bool OpenHelpFile(const std::string& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    }
    bool OpenFolder(const std::string& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    }
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
