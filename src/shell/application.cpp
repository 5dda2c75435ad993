#include "shell/application.h"

#include <QIcon>
#include <exception>

#include "brambex_version.h"
#include "shell/command_line.h"
#include "shell/help.h"
#include "shell/main_window.h"
#include "shell/message_box.h"

namespace brambex {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv), qtDesktop_(MakeQtDesktopServices()), desktop_(qtDesktop_.get()) {
    // No display name: Qt would append it to every caption ("Error — Brambex"), and the
    // captions are the program's own texts. The name alone still captions untitled boxes.
    setApplicationName(QString::fromLatin1(ApplicationName));
    setOrganizationName(QStringLiteral("Halvern Labs"));
    setApplicationVersion(QString::fromLatin1(Version));
    setDesktopFileName(QStringLiteral("brambex"));
    setWindowIcon(QIcon(QStringLiteral(":/brambex/brambex.png")));
    // The program file's own path, not argv[0], which may be a bare name found on PATH.
    helpFilePath_ = FormHelpFilePath(applicationFilePath().toStdString());
}

Application::~Application() {
    window_.reset();
}

// Qt's own record of the one application object; once this object's destructor has
// run, it is no longer an Application.
Application* Application::Instance() {
    return qobject_cast<Application*>(QCoreApplication::instance());
}

void Application::SetDesktop(DesktopServices* services) {
    desktop_ = services ? services : qtDesktop_.get();
}

MainWindow* Application::CreateMainWindow(const std::string& folder) {
    window_ = std::make_unique<MainWindow>();
    window_->SetupWindow();
    window_->show();
    if (!folder.empty())
        window_->SelectFolder(folder);
    return window_.get();
}

int Application::Run() {
    std::vector<std::string> given;
    // Qt's own options are gone from arguments() by now; the program's name is first.
    for (const QString& argument : arguments().mid(1))
        given.push_back(argument.toStdString());
    CreateMainWindow(FolderArgument(given));
    int status = exec();
    return endRequested_ ? 1 : status;
}

bool Application::ReportUnhandled(const std::string& what) {
    QWidget* owner = activeModalWidget() ? activeModalWidget() : activeWindow();
    Answer answer =
        AskYesNo(owner, what + "\nOK to resume?", "Unhandled Exception", MessageKind::Error);
    if (answer == Answer::Yes)
        return true;
    endRequested_ = true;
    if (window_)
        window_->RequestEnd();
    exit(1);
    return false;
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportUnhandled(e.what());
    } catch (...) {
        ReportUnhandled("Unknown error");
    }
    return false;
}

void RunGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        Application* app = Application::Instance();
        if (!app)
            throw;
        app->ReportUnhandled(e.what());
    } catch (...) {
        Application* app = Application::Instance();
        if (!app)
            throw;
        app->ReportUnhandled("Unknown error");
    }
}

}  // namespace brambex
