#include "shell/audiobook_app.h"

#include <QIcon>
#include <exception>

#include "brambex_version.h"
#include "shell/help.h"
#include "shell/message_box.h"
#include "shell/sdi_dec_frame.h"

namespace brambex {

namespace {
TaudiobookApp* theApp = nullptr;
}

TaudiobookApp::TaudiobookApp(int& argc, char** argv) : QApplication(argc, argv) {
    theApp = this;
    // No display name: Qt would append it to every caption ("Error — Brambex"), and the
    // captions are the program's own texts. The name alone still captions untitled boxes.
    setApplicationName(QString::fromLatin1(ApplicationName));
    setOrganizationName(QStringLiteral("Halvern Labs"));
    setApplicationVersion(QString::fromLatin1(Version));
    setDesktopFileName(QStringLiteral("brambex"));
    setWindowIcon(QIcon(QStringLiteral(":/brambex/brambex.png")));
    // The program file's own path, not argv[0], which may be a bare name found on PATH.
    HelpFilePath = FormHelpFilePath(applicationFilePath().toStdString());
}

TaudiobookApp::~TaudiobookApp() {
    frame_.reset();
    theApp = nullptr;
}

TaudiobookApp* TaudiobookApp::Instance() {
    return theApp;
}

TSDIDecFrame* TaudiobookApp::CreateMainWindow() {
    frame_ = std::make_unique<TSDIDecFrame>();
    frame_->SetupWindow();
    frame_->show();
    return frame_.get();
}

int TaudiobookApp::Run() {
    CreateMainWindow();
    int status = exec();
    return endRequested_ ? 1 : status;
}

bool TaudiobookApp::ReportUnhandled(const std::string& what) {
    QWidget* owner = activeModalWidget() ? activeModalWidget() : activeWindow();
    Answer answer =
        AskYesNo(owner, what + "\nOK to resume?", "Unhandled Exception", MessageStyle::Stop);
    if (answer == Answer::Yes)
        return true;
    endRequested_ = true;
    if (frame_)
        frame_->RequestEnd();
    exit(1);
    return false;
}

bool TaudiobookApp::notify(QObject* receiver, QEvent* event) {
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
        TaudiobookApp* app = TaudiobookApp::Instance();
        if (!app)
            throw;
        app->ReportUnhandled(e.what());
    } catch (...) {
        TaudiobookApp* app = TaudiobookApp::Instance();
        if (!app)
            throw;
        app->ReportUnhandled("Unknown error");
    }
}

}  // namespace brambex
