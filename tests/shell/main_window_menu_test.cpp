// The main window's menu bar and the set named when the program starts: the menus'
// items and keys, the recent sets kept from one run to the next, About, and the folder
// the command line names.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "shell/application.h"
#include "shell/command_line.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/settings_store.h"
#include "shell_test_support.h"

using namespace brambex;
using namespace brambex::testing;

namespace {

// What a menu lists: each item's text and shortcut, separators left out.
QStringList Items(const QMenu* menu) {
    QStringList items;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            items << action->text() + QLatin1Char('|') + action->shortcut().toString();
    return items;
}

}  // namespace

class MainWindowMenuTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MainWindow> window_;
    FakeDesktop desktop_;

    QMenu* Menu(const char* name) { return window_->findChild<QMenu*>(QString::fromLatin1(name)); }
    QString SetPath() { return window_->findChild<QLabel*>("setPathLine")->text(); }
    void Trigger(const char* action) {
        window_->findChild<QAction*>(QString::fromLatin1(action))->trigger();
    }
    void OpenWindow() {
        window_ = std::make_unique<MainWindow>();
        window_->show();
    }

  private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        UseConfigFolder(*dir_);
        desktop_ = FakeDesktop();
        SetDesktopServices(&desktop_);
        OpenWindow();
    }
    void cleanup() {
        SetMessageBoxAnswererForTesting(nullptr);
        window_.reset();
        SetDesktopServices(nullptr);
        QCOMPARE(VisibleTopLevels(), 0);
        dir_.reset();
    }

    void menusListTheWindowsCommands() {
        QCOMPARE(Items(Menu("fileMenu")),
                 QStringList({"&Open disc 1…|Ctrl+O", "Open &Recent|", "Merge a &library…|",
                              "O&ptions…|", "&Quit|Ctrl+Q"}));
        QCOMPARE(Items(Menu("helpMenu")), QStringList({"&Manual|F1", "&About Brambex|"}));
        QCOMPARE(Items(Menu("recentMenu")), QStringList{"&Clear list|"});
        // Ctrl+O browses for disc 1, as "Select main folder" does.
        const std::string first = MakeDiscSet(*dir_, "Opera Disc", 2, 1);
        desktop_.choices.push_back({FolderChoice::Chosen, first});
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(SetPath(), QString::fromStdString(first));
    }

    // The sets chosen come back in the next run, newest first; one gone since is taken
    // off with a box that says so.
    void recentSetsComeBackInTheNextRun() {
        const QString opera = QString::fromStdString(MakeDiscSet(*dir_, "Opera Disc", 2, 1));
        const QString dune = QString::fromStdString(MakeDiscSet(*dir_, "Dune & Co Disc", 1, 1));
        window_->SelectFolder(opera.toStdString());
        window_->SelectFolder(dune.toStdString());
        OpenWindow();
        QCOMPARE(Items(Menu("recentMenu")), QStringList({QString(dune).replace("&", "&&") + "|",
                                                         opera + "|", "&Clear list|"}));
        Menu("recentMenu")->actions().at(1)->trigger();
        QCOMPARE(SetPath(), opera);
        QVERIFY(window_->findChild<QPushButton*>("mergeFoldersButton")->isDefault());

        QVERIFY(QDir(dune).removeRecursively());
        SeenBox seen;
        AnswerMessageBox(&seen);
        Menu("recentMenu")->actions().at(1)->trigger();
        QVERIFY2(seen.text.startsWith("The folder \"" + dune + "\" is no longer there"),
                 qPrintable(seen.text));
        QCOMPARE(Settings().StoredRecentSets(), std::vector<std::string>{opera.toStdString()});
        Trigger("clearRecentAction");
        QVERIFY(Settings().StoredRecentSets().empty());
        QCOMPARE(Items(Menu("recentMenu")), QStringList{"&Clear list|"});
    }

    void aboutNamesTheVersionAndTheLicence() {
        SeenBox seen;
        AnswerMessageBox(&seen);
        Trigger("aboutAction");
        QCOMPARE(seen.caption, QStringLiteral("About Brambex"));
        QVERIFY(seen.text.startsWith(QStringLiteral("Brambex ") +
                                     QCoreApplication::applicationVersion()));
        QVERIFY(seen.text.contains(QStringLiteral("GPL-3.0-or-later")));
    }

    // "brambex FOLDER": the set is chosen and checked as the folder browser's choice is.
    void folderNamedAtStartIsChosen() {
        window_.reset();
        const std::string first = MakeDiscSet(*dir_, "Opera Disc", 2, 1);
        MainWindow* window = Application::Instance()->CreateMainWindow(first);
        QCOMPARE(window->findChild<QLabel*>("setPathLine")->text(), QString::fromStdString(first));
        QVERIFY(window->findChild<QPushButton*>("mergeFoldersButton")->isEnabled());
        window->close();
        OpenWindow();
    }

    void folderArgument_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("folder");
        QTest::newRow("none") << QStringList{} << "";
        QTest::newRow("a folder") << QStringList{"/m/Opera 1"} << "/m/Opera 1";
        QTest::newRow("after an option") << QStringList{"--x", "Opera 1", "B"} << "Opera 1";
        QTest::newRow("after --") << QStringList{"--", "-Opera 1"} << "-Opera 1";
        QTest::newRow("only options") << QStringList{"-x", "--"} << "";
    }
    void folderArgument() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, folder);
        std::vector<std::string> given;
        for (const QString& argument : arguments)
            given.push_back(argument.toStdString());
        QCOMPARE(QString::fromStdString(FolderArgument(given)), folder);
    }
};

BRAMBEX_SHELL_TEST_MAIN(MainWindowMenuTest)
#include "main_window_menu_test.moc"
