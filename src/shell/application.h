// The application object: names the program "Brambex", creates the main window, runs
// the event loop, and shows any error that escapes a handler as "Unhandled Exception"
// with the choice to resume or to end the program. It holds what the windows share for
// the program's whole run: the desktop services, where the manual is, the settings, and the
// answerer that tests put in place of message boxes.
#pragma once

#include <QApplication>
#include <functional>
#include <memory>
#include <string>

#include "shell/desktop_services.h"
#include "shell/message_box.h"
#include "shell/settings_store.h"

namespace brambex {

class MainWindow;

class Application : public QApplication {
    Q_OBJECT
  public:
    Application(int& argc, char** argv);
    ~Application() override;

    // The running application; null before it is made and once it is going.
    static Application* Instance();

    // Creates the main window and shows it centred on the screen, with the set of
    // `folder` chosen as "Select main folder" chooses it, when one is named.
    MainWindow* CreateMainWindow(const std::string& folder = {});
    MainWindow* Window() const { return window_.get(); }
    // Creates the main window with the folder the command line names, and runs the
    // event loop; the process's exit status.
    int Run();

    // Shows the error's text and "OK to resume?". True when the user resumes; on No
    // the program is asked to end (status 1).
    bool ReportUnhandled(const std::string& what);
    bool EndRequested() const { return endRequested_; }

    bool notify(QObject* receiver, QEvent* event) override;

    // The folder browser, web browser and file manager: Qt's own unless a test has put
    // others in place (null restores Qt's; the caller keeps them alive).
    DesktopServices& Desktop() { return *desktop_; }
    void SetDesktop(DesktopServices* services);
    // The manual beside the program file, worked out at start-up.
    const std::string& HelpFilePath() const { return helpFilePath_; }
    void SetHelpFilePath(std::string path) { helpFilePath_ = std::move(path); }

    // The settings kept across runs, and the notices about their files.
    SettingsStore& Settings() { return settings_; }

    // While set, message boxes go to it instead of the screen (tests).
    const MessageBoxAnswerer& BoxAnswerer() const { return boxAnswerer_; }
    void SetBoxAnswerer(MessageBoxAnswerer answerer) { boxAnswerer_ = std::move(answerer); }

  private:
    std::unique_ptr<DesktopServices> qtDesktop_;
    DesktopServices* desktop_;
    std::string helpFilePath_;
    SettingsStore settings_;
    MessageBoxAnswerer boxAnswerer_;
    std::unique_ptr<MainWindow> window_;
    bool endRequested_ = false;
};

// Runs one handler; an error that escapes it goes to the application's report.
void RunGuarded(const std::function<void()>& handler);

}  // namespace brambex
