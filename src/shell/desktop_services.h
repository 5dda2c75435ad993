// The desktop services the windows use that tests must be able to replace: the folder
// browser, the browser that shows the manual and the file manager.
#pragma once

#include <QString>
#include <memory>
#include <string>

class QWidget;

namespace brambex {

struct FolderChoice {
    enum Kind { Chosen, Cancelled, Failed } kind = Cancelled;
    std::string path;  // the chosen folder's full path when kind is Chosen
};

class DesktopServices {
  public:
    virtual ~DesktopServices() = default;
    // Lets the user pick a folder, starting at root. Failed when the browser cannot
    // be opened there, for example because root no longer exists.
    virtual FolderChoice ChooseFolder(QWidget* owner, const std::string& root,
                                      const QString& title) = 0;
    // Shows an HTML file in the desktop's web browser; false when none could be started.
    virtual bool OpenHelpFile(const std::string& path) = 0;
    // Shows a folder in the desktop's file manager; false when none could be started.
    virtual bool OpenFolder(const std::string& path) = 0;
};

// Qt's own services, which the application holds.
std::unique_ptr<DesktopServices> MakeQtDesktopServices();

// The application's services in use: Qt's own unless a test has put others in place.
DesktopServices& Desktop();
// Replaces the application's services (null restores Qt's); the caller keeps them alive.
void SetDesktopServices(DesktopServices* services);

// The user's home folder: where browsing starts when no library path is set.
std::string HomeFolder();

}  // namespace brambex
