// The application object: names the program "Brambex", creates the main window, runs
// the event loop, and shows any error that escapes a handler as "Unhandled Exception"
// with the choice to resume or to end the program.
#pragma once

#include <QApplication>
#include <functional>
#include <memory>
#include <string>

namespace brambex {

class MainWindow;

class Application : public QApplication {
    Q_OBJECT
  public:
    Application(int& argc, char** argv);
    ~Application() override;

    static Application* Instance();

    // Creates the main window and shows it centred on the screen.
    MainWindow* CreateMainWindow();
    MainWindow* Window() const { return window_.get(); }
    // Creates the main window and runs the event loop; the process's exit status.
    int Run();

    // Shows the error's text and "OK to resume?". True when the user resumes; on No
    // the program is asked to end (status 1).
    bool ReportUnhandled(const std::string& what);
    bool EndRequested() const { return endRequested_; }

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    std::unique_ptr<MainWindow> window_;
    bool endRequested_ = false;
};

// Runs one handler; an error that escapes it goes to the application's report.
void RunGuarded(const std::function<void()>& handler);

}  // namespace brambex
