// The application object: names the program "Brambex", creates the main frame, runs
// the event loop, and shows any error that escapes a handler as "Unhandled Exception"
// with the choice to resume or to end the program.
#pragma once

#include <QApplication>
#include <functional>
#include <memory>
#include <string>

namespace brambex {

class TSDIDecFrame;

class TaudiobookApp : public QApplication {
    Q_OBJECT
  public:
    TaudiobookApp(int& argc, char** argv);
    ~TaudiobookApp() override;

    static TaudiobookApp* Instance();

    // Creates the main frame (which creates the main window's client) and shows it
    // centred on the screen.
    TSDIDecFrame* CreateMainWindow();
    TSDIDecFrame* MainWindow() const { return frame_.get(); }
    // Creates the main window and runs the event loop; the process's exit status.
    int Run();

    // Shows the error's text and "OK to resume?". True when the user resumes; on No
    // the program is asked to end (status 1).
    bool ReportUnhandled(const std::string& what);
    bool EndRequested() const { return endRequested_; }

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    std::unique_ptr<TSDIDecFrame> frame_;
    bool endRequested_ = false;
};

// Runs one handler; an error that escapes it goes to the application's report.
void RunGuarded(const std::function<void()>& handler);

}  // namespace brambex
