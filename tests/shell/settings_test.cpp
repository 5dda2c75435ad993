// The music library path: the settings store's load, Set and Forget, and the Options
// dialog over them, each in a private config folder.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/options_dialog.h"
#include "shell/settings_store.h"
#include "shell_test_support.h"

using namespace brambex;
using namespace brambex::testing;

namespace {

QString KeyFile() {
    return QString::fromStdString(LibraryPathStoreLocation());
}

void WriteKey(const QByteArray& content, const QString& path = KeyFile()) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QString StoredValue() {
    QSettings key(KeyFile(), QSettings::IniFormat);
    return key.value(QStringLiteral("Default"), QStringLiteral("<none>")).toString();
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir_;
    FakeDesktop desktop_;

  private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        UseConfigFolder(*dir_);
        Settings().libraryPath.clear();
        Settings().TakeNotice();
        desktop_ = FakeDesktop();
        SetDesktopServices(&desktop_);
    }
    void cleanup() {
        SetMessageBoxAnswererForTesting(nullptr);
        SetDesktopServices(nullptr);
        QCOMPARE(VisibleTopLevels(), 0);
        dir_.reset();
    }

    void storeLivesInPrivateConfigFolder() {
        QVERIFY(KeyFile().startsWith(dir_->path()));
        QVERIFY(KeyFile().endsWith(QStringLiteral("/Halvern Labs/Brambex.conf")));
    }

    // Each file is loaded, then "/srv/new" stored: `after` is the file then, the file
    // as it was when it must be left as it is.
    void loadAndStoreKeepTheRestOfTheFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QByteArray>("after");
        const QByteArray stored = "Default=/srv/new\n";
        QTest::newRow("path") << QByteArray("[General]\nDefault=/srv/music\n") << "/srv/music"
                              << "[General]\n" + stored;
        QTest::newRow("empty value") << QByteArray("[General]\nDefault=\n") << ""
                                     << "[General]\n" + stored;
        QByteArray longValue = "; mine\n[General]\nDefault=/" + QByteArray(599, 'b');
        QTest::newRow("600 bytes")
            << longValue + "\nOther=1\n"
            << "/" + QString(599, 'b') << "; mine\n[General]\n" + stored + "Other=1\n";
        QTest::newRow("empty file") << QByteArray() << ""
                                    << "[General]\n" + stored;
        // Values that QSettings would spell otherwise if it wrote the whole file.
        QTest::newRow("other values, hand-written")
            << QByteArray("[General]\nList = a,b\n\nDefault=/a\n[Other]\nKey=\"q\" \n") << "/a"
            << "[General]\nList = a,b\n\n" + stored + "[Other]\nKey=\"q\" \n";
        QTest::newRow("comments, no default value")
            << QByteArray("; mine\n[General]\nOther=1\n# too\n") << ""
            << "; mine\n[General]\n" + stored + "Other=1\n# too\n";
        QTest::newRow("comments, no group") << QByteArray("; mine, no newline") << ""
                                            << "; mine, no newline\n[General]\n" + stored;
        QTest::newRow("default under another group")
            << QByteArray("[Other]\nDefault=/srv/music\n") << ""
            << "[Other]\nDefault=/srv/music\n[General]\n" + stored;
        QTest::newRow("CRLF lines") << QByteArray("; mine\r\n[General]\r\nDefault = /a\r\n") << "/a"
                                    << QByteArray("; mine\r\n[General]\r\nDefault=/srv/new\r\n");
        QByteArray utf16("\xff\xfe");
        for (char c : QByteArray("[General]\nDefault=/srv/music\n"))
            utf16 += QByteArray(1, c) + '\0';
        QTest::newRow("UTF-16") << utf16 << "/srv/music" << utf16;
        const QByteArray twice = "[General]\nDefault=/a\nDefault=/b\n";
        QTest::newRow("default twice") << twice << "/b" << twice;
        const QByteArray continued = "[General]\nDefault=/a\\\nb\n";
        QTest::newRow("value over two lines") << continued << "/ab" << continued;
        const QByteArray broken = "[General\nDefault=/srv/music\n";
        QTest::newRow("cannot be parsed") << broken << "" << broken;
    }
    void loadAndStoreKeepTheRestOfTheFile() {
        QFETCH(QByteArray, content);
        QFETCH(QString, loaded);
        QFETCH(QByteArray, after);
        WriteKey(content);
        const auto privateFile =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        QVERIFY(QFile::setPermissions(KeyFile(), privateFile));
        Settings().libraryPath = "stale";
        Settings().LoadLibraryPath();
        QCOMPARE(QString::fromStdString(Settings().libraryPath), loaded);
        QCOMPARE(Settings().StoreLibraryPath("/srv/new"), after != content);
        QFile file(KeyFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after);
        QCOMPARE(file.permissions(), privateFile);
        // A file left as it is is named once, however often it is met.
        Settings().LoadLibraryPath();
        QString notice = Settings().TakeNotice();
        QCOMPARE(notice.contains(KeyFile()), after == content);
        QCOMPARE(Settings().TakeNotice(), QString());
    }

    void windowGeometryKeepsTheRestOfItsFile() {
        const QString windowFile = QString::fromStdString(WindowStoreLocation());
        WriteKey("; mine\n[General]\nOther=1\n", windowFile);
        // Bytes the file has to spell: a NUL, a line break, quotes and a comma.
        const QByteArray geometry("\x01\xd9\xd0\xcb\0\x03\n\"a,b\"", 12);
        Settings().StoreWindowGeometry(geometry);
        QCOMPARE(Settings().StoredWindowGeometry(), geometry);
        QFile file(windowFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray after = file.readAll();
        QVERIFY(after.startsWith("; mine\n[General]\nGeometry="));
        QVERIFY(after.endsWith("\nOther=1\n"));
    }

    void mainWindowNamesAFileLeftAsItIs() {
        WriteKey(QByteArray("\xff\xfe[\0", 4));
        MainWindow window;
        QCOMPARE(
            window.findChild<QLabel*>(QStringLiteral("statusLine"))->text(),
            "The settings file \"" + KeyFile() + "\" was left as it is: it is not UTF-8 text.");
    }

    void loadWithoutKeyLeavesPathEmpty() {
        Settings().LoadLibraryPath();
        QVERIFY(Settings().libraryPath.empty());
        QVERIFY(!QFileInfo::exists(KeyFile()));
    }

    void storeThenLoadRoundTrips_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("non-ASCII") << "/home/ann/Music/Hörbücher";
        // Characters that the settings file itself gives a meaning to.
        QTest::newRow("comma") << "/srv/Rock, Pop";
        QTest::newRow("semicolon and hash") << "/srv/a;b #c";
        QTest::newRow("quotes and backslash") << "/srv/\"Live\" \\ 1999";
        QTest::newRow("equals and brackets") << "/srv/[x]=y";
        QTest::newRow("blanks at the ends") << " /srv/music ";
        QTest::newRow("at sign") << "@Variant(/srv)";
    }
    void storeThenLoadRoundTrips() {
        QFETCH(QString, path);
        QVERIFY(Settings().StoreLibraryPath(path.toStdString()));
        Settings().libraryPath.clear();
        Settings().LoadLibraryPath();
        QCOMPARE(QString::fromStdString(Settings().libraryPath), path);
        // The recent sets keep such a path too, alone and beside another.
        for (const std::vector<std::string>& recent :
             {std::vector<std::string>{path.toStdString()},
              std::vector<std::string>{"/srv/b", path.toStdString()}}) {
            Settings().StoreRecentSets(recent);
            QVERIFY(Settings().StoredRecentSets() == recent);
        }
        QCOMPARE(Settings().TakeNotice(), QString());
    }

    void forgetKeepsKeyWithEmptyValue() {
        QCOMPARE(Settings().ForgetStoredLibraryPath(), ForgetResult::NoKey);
        QVERIFY(!QFileInfo::exists(KeyFile()));
        QVERIFY(Settings().StoreLibraryPath("/srv/music"));
        QCOMPARE(Settings().ForgetStoredLibraryPath(), ForgetResult::Forgotten);
        QCOMPARE(StoredValue(), QString());
        Settings().LoadLibraryPath();
        QVERIFY(Settings().libraryPath.empty());
        QVERIFY(QFileInfo::exists(KeyFile()));
    }

    void storeFailsWhenKeyCannotBeCreated() {
        // A file where the key's folder belongs blocks it, also for root.
        QFile blocker(QFileInfo(QFileInfo(KeyFile()).absolutePath()).absoluteFilePath());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!Settings().StoreLibraryPath("/srv/music"));
        QVERIFY(
            Settings().TakeNotice().startsWith("Cannot write the settings file \"" + KeyFile()));
    }

    void dialogShowsNotSetThenTheChosenPath() {
        OptionsDialog dialog(nullptr);
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("pathLabel"));
        QCOMPARE(label->text(), QStringLiteral("(not set)"));
        Settings().libraryPath = "/srv/old";
        desktop_.choices.push_back({FolderChoice::Chosen, "/srv/music"});
        dialog.findChild<QPushButton*>(QStringLiteral("setLibraryPathButton"))->click();
        QCOMPARE(label->text(), QStringLiteral("/srv/music"));
        QCOMPARE(Settings().libraryPath, std::string("/srv/music"));
        QCOMPARE(StoredValue(), QStringLiteral("/srv/music"));
        // Set always browses from the computer's root, whatever is set.
        QCOMPARE(desktop_.browses.at(0).root, HomeFolder());
        QCOMPARE(desktop_.browses.at(0).title, QStringLiteral("Where is your music library?"));

        OptionsDialog reopened(nullptr);
        QCOMPARE(reopened.findChild<QLabel*>(QStringLiteral("pathLabel"))->text(),
                 QStringLiteral("/srv/music"));
    }

    void dialogKeepsTheTemplateArrangement() {
        OptionsDialog dialog(nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto geometry = [&](const char* name) {
            QWidget* w = dialog.findChild<QWidget*>(QString::fromLatin1(name));
            return QRect(w->mapTo(&dialog, QPoint(0, 0)), w->size());
        };
        QRect group = geometry("libraryPathGroup");
        QRect set = geometry("setLibraryPathButton");
        QRect forget = geometry("forgetLibraryPathButton");
        QRect ok = geometry("okButton");
        QRect help = geometry("helpButton");
        // Set and Forget form one column: same left edge and width, one above the other.
        QCOMPARE(set.left(), forget.left());
        QCOMPARE(set.width(), forget.width());
        QVERIFY(group.bottom() < set.top());
        QVERIFY(set.bottom() < forget.top());
        QVERIFY(forget.bottom() < ok.top());
        QCOMPARE(ok.top(), help.top());
        QVERIFY(ok.right() < help.left());

        // The keyboard visits the buttons in the dialog's own order, OK first.
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.findChild<QWidget*>(QStringLiteral("okButton"))->setFocus();
        QStringList seen;
        for (int i = 0; i < 5; ++i) {
            seen << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(seen, QStringList({"okButton", "helpButton", "setLibraryPathButton",
                                    "forgetLibraryPathButton", "okButton"}));
    }

    void setFailuresChangeNothing_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("icon");
        QTest::newRow("cancelled")
            << int(FolderChoice::Cancelled) << "The music library path is unchanged."
            << "Brambex" << int(QMessageBox::NoIcon);
        QTest::newRow("browser failed")
            << int(FolderChoice::Failed)
            << "Use the \"Forget Music Library Path\" button\nto start the folder browser in "
               "your home folder again."
            << "" << int(QMessageBox::Information);
    }
    void setFailuresChangeNothing() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QFETCH(int, icon);
        Settings().libraryPath = "/srv/music";
        OptionsDialog dialog(nullptr);
        desktop_.choices.push_back({static_cast<FolderChoice::Kind>(kind), {}});
        SeenBox seen;
        AnswerMessageBox(&seen);
        dialog.SetLibraryPath();
        QCOMPARE(seen.text, text);
        QCOMPARE(seen.caption, caption);
        QCOMPARE(int(seen.icon), icon);
        QCOMPARE(Settings().libraryPath, std::string("/srv/music"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("pathLabel"))->text(),
                 QStringLiteral("/srv/music"));
    }

    void setThatCannotBeSavedKeepsNewPathForThisRun() {
        QFile blocker(QFileInfo(QFileInfo(KeyFile()).absolutePath()).absoluteFilePath());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        OptionsDialog dialog(nullptr);
        desktop_.choices.push_back({FolderChoice::Chosen, "/srv/music"});
        SeenBox seen;
        AnswerMessageBox(&seen);
        dialog.SetLibraryPath();
        QCOMPARE(seen.text, QStringLiteral("Cannot save music library path"));
        QCOMPARE(seen.caption, QStringLiteral("Error"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("pathLabel"))->text(),
                 QStringLiteral("(not set)"));
        QCOMPARE(Settings().libraryPath, std::string("/srv/music"));
    }

    void setKeepsPathOfAnyLength() {
        Settings().libraryPath = "/srv/music";
        OptionsDialog dialog(nullptr);
        const std::string path = "/" + std::string(600, 'x');
        desktop_.choices.push_back({FolderChoice::Chosen, path});
        SeenBox seen;
        AnswerMessageBox(&seen);
        dialog.SetLibraryPath();
        QVERIFY(seen.text.isEmpty());
        QCOMPARE(Settings().libraryPath, path);
        QCOMPARE(StoredValue(), QString::fromStdString(path));
    }

    void forgetWithoutKeyDoesNothing() {
        Settings().libraryPath = "/srv/music";
        OptionsDialog dialog(nullptr);
        dialog.findChild<QPushButton*>(QStringLiteral("forgetLibraryPathButton"))->click();
        QCOMPARE(Settings().libraryPath, std::string("/srv/music"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("pathLabel"))->text(),
                 QStringLiteral("/srv/music"));
    }

    void forgetClearsPathAndLabel() {
        QVERIFY(Settings().StoreLibraryPath("/srv/music"));
        Settings().LoadLibraryPath();
        OptionsDialog dialog(nullptr);
        dialog.ForgetLibraryPath();
        QVERIFY(Settings().libraryPath.empty());
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("pathLabel"))->text(),
                 QStringLiteral("(not set)"));
        QCOMPARE(StoredValue(), QString());
    }

    void escKeepsChangesMadeInTheDialog() {
        OptionsDialog dialog(nullptr);
        desktop_.choices.push_back({FolderChoice::Chosen, "/srv/music"});
        WhenModal(QStringLiteral("optionsDialog"), [](QWidget* w) {
            w->findChild<QPushButton*>(QStringLiteral("setLibraryPathButton"))->click();
            QTest::keyClick(w, Qt::Key_Escape);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(Settings().libraryPath, std::string("/srv/music"));
    }
};

BRAMBEX_SHELL_TEST_MAIN(SettingsTest)
#include "settings_test.moc"
