// The main window's menu bar. File: Open disc 1... (Ctrl+O), Open Recent (the sets
// chosen lately, newest first, then "Clear list"), Merge a library..., Options... and
// Quit (Ctrl+Q). Help: Manual (F1) and About Brambex. Each item does what the window's
// button of that name does; the recent sets are the model's, kept in the settings.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QString>

#include "app/about_text.h"
#include "brambex_version.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/settings_store.h"

namespace brambex {

namespace {

QAction* AddItem(QMenu* menu, const char* text, const char* objectName) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::fromLatin1(objectName));
    return action;
}

// A path as a menu item shows it: "&" marks a mnemonic there, so it is doubled.
QString MenuText(const std::string& path) {
    return ToQString(path).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

void MainWindow::MakeMenus() {
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName(QStringLiteral("menuBar"));
    QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    QAction* open = AddItem(file, "&Open disc 1…", "openDiscOneAction");
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, [this] { SelectMainFolder(); });
    recentMenu_ = file->addMenu(QStringLiteral("Open &Recent"));
    recentMenu_->setObjectName(QStringLiteral("recentMenu"));
    file->addSeparator();
    connect(AddItem(file, "Merge a &library…", "mergeLibraryAction"), &QAction::triggered, this,
            [this] { MergeLibrary(); });
    connect(AddItem(file, "O&ptions…", "optionsAction"), &QAction::triggered, this,
            [this] { ShowOptions(); });
    file->addSeparator();
    QAction* quit = AddItem(file, "&Quit", "quitAction");
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, [this] { RequestEnd(); });

    QMenu* help = menuBar_->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    QAction* manual = AddItem(help, "&Manual", "manualAction");
    manual->setShortcut(QKeySequence(Qt::Key_F1));
    connect(manual, &QAction::triggered, this, [this] { ShowHelp(); });
    connect(AddItem(help, "&About Brambex", "aboutAction"), &QAction::triggered, this,
            [this] { ShowAbout(); });
    // The shortcuts work wherever the focus is in the window.
    addActions({open, quit, manual});
}

// Filled anew whenever the model's list changes. The old items go later, since the one
// chosen may be what changed the list.
void MainWindow::FillRecentMenu() {
    for (QAction* item : recentMenu_->actions()) {
        recentMenu_->removeAction(item);
        item->deleteLater();
    }
    const std::vector<std::string>& paths = model_->Recent().Paths();
    for (const std::string& path : paths) {
        QAction* item = recentMenu_->addAction(MenuText(path));
        item->setObjectName(QStringLiteral("recentSetAction"));
        connect(item, &QAction::triggered, this, [this, path] { OpenRecent(path); });
    }
    if (!paths.empty())
        recentMenu_->addSeparator();
    QAction* clear = AddItem(recentMenu_, "&Clear list", "clearRecentAction");
    clear->setEnabled(!paths.empty());
    connect(clear, &QAction::triggered, this, [this] { ClearRecent(); });
}

void MainWindow::OpenRecent(const std::string& folder) {
    if (Merging())
        return;
    RunGuarded([this, &folder] {
        const std::string gone = model_->OpenRecent(folder);
        KeepRecent();
        Show();
        if (!gone.empty())
            ShowMessageBox(this, gone, "Open Recent", MessageKind::Warning);
    });
}

void MainWindow::ClearRecent() {
    model_->ClearRecent();
    KeepRecent();
}

void MainWindow::KeepRecent() {
    if (model_->Recent().Paths() == keptRecent_)
        return;
    keptRecent_ = model_->Recent().Paths();
    FillRecentMenu();
    Settings().StoreRecentSets(keptRecent_);
    ShowSettingsNotice();
}

void MainWindow::ShowAbout() {
    ShowMessageBox(this, AboutText(Version), "About Brambex", MessageKind::Information);
}

}  // namespace brambex
