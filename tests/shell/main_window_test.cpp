// The main window driven by object name: start-up texts, choosing a set, the
// before-merging message, a complete merge with the real engine, cancelling from the
// progress window, closing during a merge, dropping a folder, help, and errors that
// escape a handler.
#include <sys/resource.h>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <csignal>

#include "shell/application.h"
#include "shell/help.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/settings_store.h"
#include "shell_test_support.h"

using namespace brambex;
using namespace brambex::testing;

namespace {

// Takes the ID3v2 tag off a track, leaving its audio and trailer.
void StripTag(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    const auto size = [&](int i) { return static_cast<int>(bytes[i] & 0x7F); };
    int tagSize = 10 + (size(6) << 21 | size(7) << 14 | size(8) << 7 | size(9));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.mid(tagSize));
}

QStringList Items(QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

// Runs action when a widget of that name is shown, in the middle of what shows it.
class ShownWatch : public QObject {
  public:
    ShownWatch(const QString& name, std::function<void()> action)
        : name_(name), action_(std::move(action)) {
        qApp->installEventFilter(this);
    }
    ~ShownWatch() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show && object->objectName() == name_)
            action_();
        return false;
    }

  private:
    QString name_;
    std::function<void()> action_;
};

// Confirms Merge Options with the title typed in.
void ConfirmMergeOptions(const QString& title) {
    WhenModal(QStringLiteral("mergeOptionsDialog"), [title](QWidget* dialog) {
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("titleField"));
        field->selectAll();
        QTest::keyClicks(field, title);
        dialog->findChild<QPushButton*>(QStringLiteral("startMergeButton"))->click();
    });
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MainWindow> window_;
    FakeDesktop desktop_;
    QString savedCurrent_;

    template <typename W>
    W* Find(const char* name) {
        W* w = window_->findChild<W*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void Click(const char* name) { Find<QPushButton>(name)->click(); }
    static QWidget* TopLevel(const char* name) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(name))
                return w;
        qFatal("no window %s", name);
    }
    void SelectSet(const std::string& folder) {
        desktop_.choices.push_back({FolderChoice::Chosen, folder});
        Click("selectMainFolderButton");
    }
    // "Merge folders", then events until the merge's worker has ended.
    void MergeAndWait() {
        Click("mergeFoldersButton");
        QVERIFY(WaitUntil([this] { return !window_->Merging(); }, 60000));
    }

  private slots:
    void init() {
        savedCurrent_ = QDir::currentPath();
        dir_ = std::make_unique<QTemporaryDir>();
        UseConfigFolder(*dir_);
        desktop_ = FakeDesktop();
        SetDesktopServices(&desktop_);
        window_ = std::make_unique<MainWindow>();
        window_->SetupWindow();
        window_->show();
    }
    void cleanup() {
        SetMessageBoxAnswererForTesting(nullptr);
        window_.reset();
        SetDesktopServices(nullptr);
        QCOMPARE(VisibleTopLevels(), 0);
        QDir::setCurrent(savedCurrent_);
        dir_.reset();
        Settings().libraryPath.clear();
    }

    void startUpTexts() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Brambex"));
        QVERIFY(window_->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(window_->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(Find<QLabel>("statusLine")->text(),
                 QStringLiteral("Select the first folder in the sequence"));
        QCOMPARE(Find<QGroupBox>("folderGroup")->title(), QStringLiteral("Folders"));
        QCOMPARE(Find<QListWidget>("folderList")->count(), 0);
        QCOMPARE(Find<QPushButton>("selectMainFolderButton")->text(),
                 QStringLiteral("&Select main folder"));
        QCOMPARE(Find<QPushButton>("selectMainFolderButton")->accessibleName(),
                 QStringLiteral("Select main folder"));
        QCOMPARE(Find<QPushButton>("mergeFoldersButton")->text(), QStringLiteral("&Merge folders"));
        // Nothing to merge yet: Enter presses no button.
        QVERIFY(!Find<QPushButton>("exitButton")->isDefault());
        QVERIFY(!Find<QPushButton>("mergeFoldersButton")->isDefault());
        QCOMPARE(Find<QPushButton>("optionsButton")->text(), QStringLiteral("O&ptions"));
        QCOMPARE(Find<QPushButton>("helpButton")->text(), QStringLiteral("&Help"));
        QVERIFY(!Find<QPushButton>("openFolderButton")->isVisible());
        QVERIFY(!Find<QPushButton>("detailsButton")->isVisible());
        // The window fits its contents.
        QVERIFY(window_->size().width() >= window_->minimumSizeHint().width());
    }

    void captionsAreShownAsGiven() {
        // With a display name set, the desktop would show "Merge Options — Brambex". The
        // display name follows the application name only when none was set.
        QString name = QCoreApplication::applicationName();
        QCOMPARE(name, QStringLiteral("Brambex"));
        QCoreApplication::setApplicationName(QStringLiteral("probe"));
        QString shown = QGuiApplication::applicationDisplayName();
        QCoreApplication::setApplicationName(name);
        QCOMPARE(shown, QStringLiteral("probe"));
    }

    void tabVisitsTheControlsInTemplateOrder() {
        // Merge takes the focus once there is a set to merge.
        SelectSet(MakeDiscSet(*dir_, "Opera Disc", 2, 1));
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        Find<QPushButton>("selectMainFolderButton")->setFocus();
        QStringList seen;
        for (int i = 0; i < 8; ++i) {
            seen << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(seen, QStringList({"selectMainFolderButton", "mergeFoldersButton",
                                    "mergeLibraryButton", "folderList", "exitButton",
                                    "optionsButton", "helpButton", "selectMainFolderButton"}));
    }

    void centringRule_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QPoint>("corner");
        QTest::newRow("fits") << QSize(1920, 1080) << QSize(400, 500) << QPoint(760, 290);
        QTest::newRow("odd") << QSize(1025, 769) << QSize(400, 500) << QPoint(312, 134);
        QTest::newRow("larger than screen")
            << QSize(640, 480) << QSize(801, 601) << QPoint(-80, -60);
    }
    void centringRule() {
        QFETCH(QSize, screen);
        QFETCH(QSize, frame);
        QFETCH(QPoint, corner);
        QCOMPARE(CentredPosition(screen, frame), corner);
    }

    void helpFileBesideProgram_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("help");
        QTest::newRow("slash") << "/opt/brambex/bin/brambex"
                               << "/opt/brambex/bin/Brambex.html";
        QTest::newRow("backslash") << "C:\\Tools\\Brambex.exe"
                                   << "C:\\Tools\\Brambex.html";
        QTest::newRow("mixed") << "C:\\Tools/x\\brambex"
                               << "C:\\Tools/x\\Brambex.html";
        QTest::newRow("bare name") << "brambex"
                                   << "Brambex.html";
    }
    void helpFileBesideProgram() {
        QFETCH(QString, program);
        QFETCH(QString, help);
        QCOMPARE(QString::fromStdString(FormHelpFilePath(program.toStdString())), help);
    }

    void helpOpensManualOrSaysItIsMissing() {
        std::string saved = Application::Instance()->HelpFilePath();
        QString manual = dir_->filePath(QStringLiteral("Brambex.html"));
        QFile file(manual);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html><body><h1>The manual</h1></body></html>");
        file.close();
        Application::Instance()->SetHelpFilePath(manual.toStdString());
        Click("helpButton");
        Click("helpButton");
        QCOMPARE(desktop_.helpOpened.size(), std::size_t(2));
        QCOMPARE(desktop_.helpOpened[0], manual.toStdString());

        Application::Instance()->SetHelpFilePath(
            dir_->filePath(QStringLiteral("bin/Brambex.html")).toStdString());
        SeenBox seen;
        AnswerMessageBox(&seen);
        Click("helpButton");
        QVERIFY(seen.text.startsWith(QStringLiteral("The manual is missing:\n")));
        QCOMPARE(desktop_.helpOpened.size(), std::size_t(2));

        // Without a web browser the manual opens in the program's own window, once.
        Application::Instance()->SetHelpFilePath(manual.toStdString());
        desktop_.noBrowser = true;
        Click("helpButton");
        Click("helpButton");
        Application::Instance()->SetHelpFilePath(saved);
        QCOMPARE(VisibleTopLevels(), 2);
        auto* browser = TopLevel("helpWindow")->findChild<QTextBrowser*>("helpBrowser");
        QCOMPARE(browser->toPlainText().trimmed(), QStringLiteral("The manual"));
        TopLevel("helpWindow")->close();
    }

    void installedManualFoundBesideBinFolder() {
        std::string saved = Application::Instance()->HelpFilePath();
        QDir().mkpath(dir_->filePath(QStringLiteral("bin")));
        QDir().mkpath(dir_->filePath(QStringLiteral("share/brambex")));
        QFile manual(dir_->filePath(QStringLiteral("share/brambex/Brambex.html")));
        QVERIFY(manual.open(QIODevice::WriteOnly));
        manual.close();
        Application::Instance()->SetHelpFilePath(
            FormHelpFilePath(dir_->filePath(QStringLiteral("bin/brambex")).toStdString()));
        std::string found = LocateHelpFile(Application::Instance()->HelpFilePath());
        Application::Instance()->SetHelpFilePath(saved);
        QCOMPARE(QString::fromStdString(found), QFileInfo(manual).canonicalFilePath());
    }

    void selectingSetListsDiscsSorted() {
        std::string first = MakeDiscSet(*dir_, "Opera Disc", 10, 1);
        SelectSet(first);
        QStringList items = Items(Find<QListWidget>("folderList"));
        QCOMPARE(items.size(), 10);
        QCOMPARE(items.at(0), QStringLiteral("Opera Disc 1"));
        QCOMPARE(items.at(1), QStringLiteral("Opera Disc 10"));
        QCOMPARE(items.at(2), QStringLiteral("Opera Disc 2"));
        QCOMPARE(Find<QLabel>("statusLine")->text(), QStringLiteral("10 discs, 10 files."));
        QCOMPARE(desktop_.browses.at(0).root, HomeFolder());
    }

    void browseStartsAtLibraryPath() {
        Settings().libraryPath = dir_->path().toStdString();
        AnswerMessageBox(nullptr);
        Click("selectMainFolderButton");  // cancelled by the fake
        QCOMPARE(desktop_.browses.at(0).root, dir_->path().toStdString());
    }

    void goneLibraryFolderStartsTheBrowserAtHome() {
        // No message box comes (one would wait for an answer that never comes).
        Settings().libraryPath = dir_->filePath("gone").toStdString();
        desktop_.choices.push_back({FolderChoice::Chosen, MakeDiscSet(*dir_, "Opera Disc", 2, 1)});
        Click("selectMainFolderButton");
        QCOMPARE(desktop_.browses.at(0).root, QDir::homePath().toStdString());
        QCOMPARE(Find<QListWidget>("folderList")->count(), 2);
    }

    void missingLibraryFolderMakesBrowserFail() {
        SetDesktopServices(nullptr);
        FolderChoice choice =
            Desktop().ChooseFolder(nullptr, dir_->filePath("gone").toStdString(), QString());
        QCOMPARE(choice.kind, FolderChoice::Failed);
    }

    void browseFailuresKeepTheSet_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("cancelled") << int(FolderChoice::Cancelled) << QString();
        QTest::newRow("failed") << int(FolderChoice::Failed)
                                << QString::fromStdString(
                                       "The folder browser cannot open the folder\n\"" +
                                       HomeFolder() + "\".");
    }
    void browseFailuresKeepTheSet() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        SelectSet(MakeDiscSet(*dir_, "Moby Dick Disc", 2, 1));
        QCOMPARE(Find<QListWidget>("folderList")->count(), 2);
        desktop_.choices.push_back({static_cast<FolderChoice::Kind>(kind), {}});
        SeenBox seen;
        AnswerMessageBox(&seen);
        Click("selectMainFolderButton");
        QCOMPARE(desktop_.browses.back().title, QStringLiteral("Choose the folder of disc 1"));
        QCOMPARE(seen.text, text);
        if (!text.isEmpty()) {
            QCOMPARE(seen.caption, QStringLiteral("Brambex"));
            QCOMPARE(int(seen.icon), int(QMessageBox::NoIcon));
        }
        QCOMPARE(Find<QListWidget>("folderList")->count(), 2);
        QVERIFY(Find<QPushButton>("mergeFoldersButton")->isEnabled());
    }

    // Without a set Merge is off; a merge started all the same refuses.
    void mergeWithoutASetIsRefused() {
        QVERIFY(!Find<QPushButton>("mergeFoldersButton")->isEnabled());
        SeenBox refusal;
        AnswerMessageBox(&refusal);
        window_->MergeFolders();
        QVERIFY(WaitUntil([this] { return !window_->Merging(); }, 60000));
        QCOMPARE(refusal.text, QStringLiteral("Before merging, you must first select the "
                                              "folder\ncontaining the first disc of the set."));
        QCOMPARE(refusal.caption, QStringLiteral("Error"));
        QCOMPARE(int(refusal.icon), int(QMessageBox::Warning));
    }

    // The window shows what the check found and follows "Use disc 1 instead".
    void laterDiscChosenOffersDiscOne() {
        const std::string first = MakeDiscSet(*dir_, "Opera", 2, 1);
        SelectSet(dir_->filePath(QStringLiteral("Opera 2")).toStdString());
        QVERIFY(Find<QLabel>("findingLine")->isVisible());
        QVERIFY(!Find<QPushButton>("mergeFoldersButton")->isDefault());
        Click("useDiscOneButton");
        QCOMPARE(Find<QLabel>("setPathLine")->text(), QString::fromStdString(first));
        QVERIFY(!Find<QLabel>("findingLine")->isVisible());
        QVERIFY(Find<QPushButton>("mergeFoldersButton")->isEnabled());
        QVERIFY(Find<QPushButton>("mergeFoldersButton")->isDefault());
    }

    void droppedFolderIsSelected() {
        std::string first = MakeDiscSet(*dir_, "Moby Dick Disc", 3, 2);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(first))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &drop);
        QCOMPARE(Find<QListWidget>("folderList")->count(), 3);
        QCOMPARE(Find<QLabel>("statusLine")->text(), QStringLiteral("3 discs, 6 files."));
        QVERIFY(desktop_.browses.empty());

        QMimeData file;
        file.setUrls({QUrl::fromLocalFile(QString::fromStdString(first + "/01 Track 1.mp3"))});
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &file, Qt::LeftButton,
                                Qt::NoModifier);
        refused.ignore();
        QCoreApplication::sendEvent(window_.get(), &refused);
        QVERIFY(!refused.isAccepted());
    }

    void completeMergeWithTheRealEngine() {
        std::string first = MakeDiscSet(*dir_, "Moby Dick Disc", 2, 3);
        // A track without a tag gets a new one, which the summary counts and Details names.
        StripTag(QString::fromStdString(first + "/03 Track 3.mp3"));
        SelectSet(first);
        // Read when the progress window comes up, while the merge runs.
        QString captionWhileMerging;
        ShownWatch watch(QStringLiteral("progressDialog"),
                         [&] { captionWhileMerging = Find<QGroupBox>("folderGroup")->title(); });
        ConfirmMergeOptions(QStringLiteral("Moby Dick"));
        MergeAndWait();

        QCOMPARE(captionWhileMerging, QStringLiteral("Folders in this book"));
        // What happened, where the tracks went, and the way there.
        QCOMPARE(Find<QLabel>("statusLine")->text(),
                 QStringLiteral("Merged 6 tracks into \"Moby Dick\". 1 new tag."));
        QCOMPARE(Items(Find<QListWidget>("folderList")), QStringList{"Moby Dick"});
        QCOMPARE(Find<QGroupBox>("folderGroup")->title(), QStringLiteral("Output folders"));
        Click("openFolderButton");
        QCOMPARE(desktop_.foldersOpened,
                 std::vector<std::string>{dir_->filePath("Moby Dick").toStdString()});
        // Without a file manager, a box says so with the path, which can be copied.
        desktop_.noFileManager = true;
        WhenModal(QStringLiteral("messageBox"), [&](QWidget* box) {
            auto* shown = static_cast<QMessageBox*>(box);
            QVERIFY(shown->text().endsWith("\n" + dir_->filePath("Moby Dick")));
            QVERIFY(shown->textInteractionFlags() & Qt::TextSelectableByMouse);
            shown->accept();
        });
        Click("openFolderButton");
        QStringList details;
        WhenModal(QStringLiteral("detailsDialog"), [&](QWidget* dialog) {
            details = Items(dialog->findChild<QListWidget*>(QStringLiteral("detailsList")));
            dialog->findChild<QPushButton*>(QStringLiteral("closeButton"))->click();
        });
        QVERIFY(Find<QPushButton>("detailsButton")->isVisible());
        Click("detailsButton");
        QCOMPARE(details.size(), 1);
        QVERIFY2(details[0].startsWith(QStringLiteral("Moby Dick Disc 1/03 Track 3.mp3: no tag, "
                                                      "a new one made")),
                 qPrintable(details[0]));
        QVERIFY(!window_->Merging());
        QDir output(dir_->filePath(QStringLiteral("Moby Dick")));
        QStringList tracks = output.entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
        QCOMPARE(tracks,
                 QStringList({"01 1-1 Track 1.mp3", "02 1-2 Track 2.mp3", "03 1-3 Track 3.mp3",
                              "04 2-1 Track 1.mp3", "05 2-2 Track 2.mp3", "06 2-3 Track 3.mp3"}));
        QVERIFY(output.exists(QStringLiteral("merged")));

        // An independent reader sees the confirmed album and artist.
        if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
            return;
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, mutagen.id3 as m\n"
                                     "t = m.ID3(sys.argv[1])\n"
                                     "print(t['TALB'].text[0], t['TPE1'].text[0], sep='|')"),
                      output.filePath(tracks.at(4))});
        QVERIFY(python.waitForFinished(30000));
        if (python.exitCode() != 0)
            QSKIP("mutagen is not available to read the output");
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).trimmed(),
                 QStringLiteral("Moby Dick|Herman Melville"));
    }

    void cancelFromProgressWindow() {
        SelectSet(MakeDiscSet(*dir_, "Moby Dick Disc", 2, 20));
        bool cancelShown = false;
        bool optionsOpened = false;
        // At the moment the progress window comes up, the merge waits for it; a Cancel
        // then stops the merge after its first track.
        ShownWatch watch(QStringLiteral("progressDialog"), [&] {
            QWidget* progress = TopLevel("progressDialog");
            // Options stays live during a merge.
            WhenModal(QStringLiteral("optionsDialog"), [&](QWidget* options) {
                optionsOpened = true;
                options->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
            });
            Click("optionsButton");
            auto* cancel = progress->findChild<QPushButton*>(QStringLiteral("cancelButton"));
            cancelShown = cancel->isVisible();
            cancel->click();
            // Select and Merge do nothing while the merge runs.
            Click("selectMainFolderButton");
            Click("mergeFoldersButton");
            QVERIFY(progress->isVisible());
        });
        ConfirmMergeOptions(QStringLiteral("Moby Dick"));
        SeenBox seen;
        AnswerMessageBox(&seen);
        MergeAndWait();
        QVERIFY(cancelShown);
        QVERIFY(optionsOpened);
        // No box comes over the progress window: the status line says it.
        QVERIFY(seen.text.isEmpty());
        QVERIFY(desktop_.browses.size() == 1);
        // The set is still chosen and can be merged again.
        QCOMPARE(Find<QListWidget>("folderList")->count(), 2);
        int copied = QDir(dir_->filePath(QStringLiteral("Moby Dick")))
                         .entryList({QStringLiteral("*.mp3")}, QDir::Files)
                         .size();
        QVERIFY(copied >= 1 && copied < 40);
        QCOMPARE(Find<QLabel>("statusLine")->text(),
                 QStringLiteral("Merge cancelled. %1 of 40 tracks %2 in \"Moby Dick\".")
                     .arg(copied)
                     .arg(copied == 1 ? "is" : "are"));
        QVERIFY(!Find<QPushButton>("openFolderButton")->isVisible());

        // Merging again starts with Merge Options.
        bool optionsShown = false;
        WhenModal(QStringLiteral("mergeOptionsDialog"), [&](QWidget* dialog) {
            optionsShown = true;
            dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        MergeAndWait();
        QVERIFY(optionsShown);
        QCOMPARE(Find<QListWidget>("folderList")->count(), 2);
    }

    void previewFollowsTitleAndPattern() {
        SelectSet(MakeDiscSet(*dir_, "Moby Dick Disc", 2, 3));
        QStringList before, after;
        QString foldersBefore, foldersAfter, refused;
        WhenModal(QStringLiteral("mergeOptionsDialog"), [&](QWidget* dialog) {
            auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("previewList"));
            auto* folders = dialog->findChild<QLabel*>(QStringLiteral("previewFolders"));
            const auto rows = [list] {
                QStringList shown;
                for (int i = 0; i < list->topLevelItemCount(); ++i)
                    shown << list->topLevelItem(i)->text(0) + " | " +
                                 list->topLevelItem(i)->text(1);
                return shown;
            };
            before = rows();
            foldersBefore = folders->text();
            auto* title = dialog->findChild<QLineEdit*>(QStringLiteral("titleField"));
            title->selectAll();
            QTest::keyClicks(title, QStringLiteral("Whale"));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("nameField"));
            name->selectAll();
            QTest::keyClicks(name, QStringLiteral("<album>: <song>"));
            after = rows();
            foldersAfter = folders->text();
            title->selectAll();
            QTest::keyClicks(title, QStringLiteral("A/B"));
            refused = folders->text();
            dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        MergeAndWait();
        QCOMPARE(before.size(), 5);
        QCOMPARE(before.at(0), QStringLiteral("01 1-1 Track 1.mp3 | 1-1 Moby Dick_1"));
        QCOMPARE(foldersBefore, QStringLiteral("Into the folder \"Moby Dick_1\":"));
        QCOMPARE(after.at(4), QStringLiteral("05 2-2 Track 2.mp3 | Whale: Track 2"));
        QCOMPARE(foldersAfter, QStringLiteral("Into the folder \"Whale\":"));
        QVERIFY(refused.startsWith(QStringLiteral("The album name cannot contain")));
        // Nothing was written.
        QVERIFY(!QFileInfo::exists(dir_->filePath(QStringLiteral("Moby Dick"))));
    }

    void stoppedMergeNamesWhereItStopped() {
        std::string first = MakeDiscSet(*dir_, "Moby Dick Disc", 2, 2);
        // A track too large for the file-size limit: the disk is full halfway through it.
        QFile big(dir_->filePath("Moby Dick Disc 2/03 Big.mp3"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write(
            QByteArray::fromStdString(TrackBytes("Moby Dick", "Herman Melville", "(101)", "Big")));
        big.write(QByteArray(256 * 1024, '\xFF'));
        big.close();
        SelectSet(first);
        ConfirmMergeOptions(QStringLiteral("Moby Dick"));
        SeenBox seen;
        AnswerMessageBox(&seen);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = 128 * 1024;
        setrlimit(RLIMIT_FSIZE, &limit);
        MergeAndWait();
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, oldHandler);
        QVERIFY(seen.text.isEmpty());
        QCOMPARE(Find<QLabel>("statusLine")->text(),
                 QStringLiteral("Merge stopped: file too large. 4 of 5 tracks are in \"Moby "
                                "Dick\"."));
        // Details names the track the merge stopped at.
        QVERIFY(Find<QPushButton>("detailsButton")->isVisible());
        // The set stays chosen, to be merged again once the folder is dealt with.
        QCOMPARE(Items(Find<QListWidget>("folderList")),
                 QStringList({"Moby Dick Disc 1", "Moby Dick Disc 2"}));
        QVERIFY(!Find<QPushButton>("openFolderButton")->isVisible());
    }

    void enterKeepsAnEarlierMerge() {
        const std::string first = MakeDiscSet(*dir_, "Moby Dick Disc", 2, 1);
        SelectSet(first);
        ConfirmMergeOptions(QStringLiteral("Moby Dick"));
        MergeAndWait();
        SelectSet(first);
        ConfirmMergeOptions(QStringLiteral("Moby Dick"));
        std::vector<MessageBoxShown> boxes;
        // Every box answered as Enter answers it.
        SetMessageBoxAnswererForTesting([&](const MessageBoxShown& box) {
            boxes.push_back(box);
            return box.defaultAnswer;
        });
        MergeAndWait();
        QCOMPARE(boxes.size(), std::size_t{1});
        QVERIFY(boxes[0].question);
        QCOMPARE(boxes[0].caption, QStringLiteral("Empty earlier merge?"));
        QCOMPARE(int(boxes[0].defaultAnswer), int(Answer::No));
        QVERIFY2(boxes[0].text.contains(QStringLiteral("\"Moby Dick\" holds 2 tracks")),
                 qPrintable(boxes[0].text));
        QCOMPARE(Find<QLabel>("statusLine")->text(), QStringLiteral("Skipping this merge."));
    }

    void windowComesBackWhereItWasLeft() {
        window_->move(window_->pos() + QPoint(37, 21));
        window_->resize(window_->size() + QSize(50, 40));
        QRect left = window_->geometry();
        window_->close();
        window_ = std::make_unique<MainWindow>();
        window_->SetupWindow();
        QCOMPARE(window_->geometry(), left);
    }

    void closingDuringMergeCancelsThenCloses() {
        SelectSet(MakeDiscSet(*dir_, "Moby Dick Disc", 2, 20));
        ShownWatch watch(QStringLiteral("progressDialog"), [&] {
            window_->close();
            QVERIFY(window_->isVisible());
        });
        ConfirmMergeOptions(QStringLiteral("Moby Dick"));
        AnswerMessageBox(nullptr);
        MergeAndWait();
        QVERIFY(!window_->Merging());
        QVERIFY(!window_->isVisible());
    }

    void destroyingTheWindowMidMergeWaitsForTheWorker() {
        SelectSet(MakeDiscSet(*dir_, "Moby Dick Disc", 2, 20));
        ShownWatch watch(QStringLiteral("progressDialog"),
                         [&] { QTimer::singleShot(0, this, [this] { window_.reset(); }); });
        ConfirmMergeOptions(QStringLiteral("Moby Dick"));
        // "Merge cancelled." comes only when the cancel beats the last track.
        QStringList seen;
        SetMessageBoxAnswererForTesting([&](const MessageBoxShown& box) {
            seen << box.text;
            return Answer::No;
        });
        Click("mergeFoldersButton");
        QVERIFY(WaitUntil([this] { return !window_; }, 60000));
        SetMessageBoxAnswererForTesting(nullptr);
        QVERIFY(seen.isEmpty() || seen == QStringList{QStringLiteral("Merge cancelled.")});
        // The worker is gone with the window, and left no half-written track.
        QDir output(dir_->filePath(QStringLiteral("Moby Dick")));
        for (const QString& name : output.entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(name == QLatin1String("merged") ||
                         name == QLatin1String(".brambex-incomplete") ||
                         name.endsWith(QLatin1String(".mp3")),
                     qPrintable(name));
        window_ = std::make_unique<MainWindow>();  // for cleanup
    }

    void escDoesNotEndTheProgramExitDoes() {
        QTest::keyClick(window_.get(), Qt::Key_Escape);
        QVERIFY(window_->isVisible());
        Click("exitButton");
        QVERIFY(!window_->isVisible());
    }

    void optionsButtonOpensOptions() {
        WhenModal(QStringLiteral("optionsDialog"), [](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Options"));
            dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        Click("optionsButton");
    }

    void escapedErrorCanBeResumed() {
        desktop_.throwText = "Shell failure";
        SeenBox seen;
        AnswerMessageBox(&seen, QMessageBox::Yes);
        Click("selectMainFolderButton");
        QCOMPARE(seen.text, QStringLiteral("Shell failure\nOK to resume?"));
        QCOMPARE(seen.caption, QStringLiteral("Unhandled Exception"));
        QCOMPARE(int(seen.icon), int(QMessageBox::Critical));
        QVERIFY(!Application::Instance()->EndRequested());
        QVERIFY(window_->isVisible());
        QCOMPARE(Find<QListWidget>("folderList")->count(), 0);
    }

    void errorFromAnyEventHandlerIsReported() {
        struct Throwing : QObject {
            bool event(QEvent* e) override {
                if (e->type() == QEvent::User)
                    throw std::runtime_error("Out of memory");
                return QObject::event(e);
            }
        } target;
        SeenBox seen;
        AnswerMessageBox(&seen, QMessageBox::Yes);
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&target, &event);
        QCOMPARE(seen.text, QStringLiteral("Out of memory\nOK to resume?"));
        QVERIFY(!Application::Instance()->EndRequested());
    }

    // Last: answering No asks the whole program to end.
    void escapedErrorCanEndTheProgram() {
        desktop_.throwText = "Shell failure";
        AnswerMessageBox(nullptr, QMessageBox::No);
        Click("selectMainFolderButton");
        QVERIFY(Application::Instance()->EndRequested());
    }
};

BRAMBEX_SHELL_TEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
