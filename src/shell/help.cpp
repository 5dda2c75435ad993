#include "shell/help.h"

#include <QFileInfo>

#include "shell/application.h"
#include "shell/desktop_services.h"
#include "shell/help_window.h"
#include "shell/message_box.h"

#ifndef BRAMBEX_DATADIR
#define BRAMBEX_DATADIR "share"
#endif

namespace brambex {

std::string FormHelpFilePath(std::string_view programPath) {
    std::size_t cut = programPath.find_last_of("/\\");
    if (cut == std::string_view::npos)
        return HelpFileName;
    return std::string(programPath.substr(0, cut + 1)) + HelpFileName;
}

std::string LocateHelpFile(const std::string& besideProgram) {
    if (QFileInfo(QString::fromStdString(besideProgram)).isFile())
        return besideProgram;
    std::size_t cut = besideProgram.find_last_of("/\\");
    std::string folder =
        cut == std::string::npos ? std::string() : besideProgram.substr(0, cut + 1);
    std::string installed =
        folder + "../" + BRAMBEX_DATADIR + "/brambex/" + std::string(HelpFileName);
    QFileInfo info(QString::fromStdString(installed));
    if (info.isFile())
        return info.canonicalFilePath().toStdString();
    return besideProgram;
}

void ShowHelp(QWidget* owner) {
    Application* app = Application::Instance();
    std::string file = LocateHelpFile(app ? app->HelpFilePath() : HelpFileName);
    if (!QFileInfo(QString::fromStdString(file)).isFile()) {
        ShowMessageBox(owner, "The manual is missing:\n" + file, "Help", MessageKind::Warning);
        return;
    }
    // Without a web browser the manual is still read, in the program's own window.
    if (!Desktop().OpenHelpFile(file))
        ShowHelpWindow(owner, file);
}

}  // namespace brambex
