// The library dialog driven offscreen: its rows and check boxes, and one merge of the
// checked sets with the Merge Options dialog shown once.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "shell/application.h"
#include "shell/library_dialog.h"
#include "shell_test_support.h"

namespace brambex {
namespace {

using testing::MakeDiscSet;
using testing::WaitUntil;
using testing::WhenModal;

// Sets Alpha (not merged) and Beta (merged: its output folder holds the key file).
void MakeShelf(const QTemporaryDir& dir) {
    MakeDiscSet(dir, "Alpha Disc", 2, 2, "Alpha Disc 1");
    MakeDiscSet(dir, "Beta Disc", 1, 3, "Beta Disc 1");
    QDir().mkpath(dir.filePath(QStringLiteral("Beta_1")));
    QFile key(dir.filePath(QStringLiteral("Beta_1/merged")));
    key.open(QIODevice::WriteOnly);
}

}  // namespace

class LibraryDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void ListsTheSetsWithTheUnmergedOnesChecked() {
        QTemporaryDir dir;
        MakeShelf(dir);
        LibraryDialog dialog(dir.path().toStdString());
        auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("librarySetList"));
        QCOMPARE(list->topLevelItemCount(), 2);
        QTreeWidgetItem* alpha = list->topLevelItem(0);
        QTreeWidgetItem* beta = list->topLevelItem(1);
        QCOMPARE(alpha->text(0), QStringLiteral("Alpha Disc 1"));
        QCOMPARE(alpha->text(1), QStringLiteral("Alpha_1"));
        QCOMPARE(alpha->text(3), QStringLiteral("4"));
        QCOMPARE(alpha->checkState(0), Qt::Checked);
        QCOMPARE(alpha->text(4), QStringLiteral("Will be merged into \"Alpha_1\""));
        QCOMPARE(beta->checkState(0), Qt::Unchecked);
        QCOMPARE(beta->text(4), QStringLiteral("Merged already into \"Beta_1\""));
        beta->setCheckState(0, Qt::Checked);
        QCOMPARE(beta->text(4),
                 QStringLiteral("Will be merged again into \"Beta_1\", replacing it"));
        alpha->setCheckState(0, Qt::Unchecked);
        beta->setCheckState(0, Qt::Unchecked);
        QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("mergeButton"))->isEnabled());

        // Beta's merge did not finish: it is checked to be merged again, and said so.
        QFile marker(dir.filePath(QStringLiteral("Beta_1/.brambex-incomplete")));
        marker.open(QIODevice::WriteOnly);
        LibraryDialog again(dir.path().toStdString());
        QTreeWidgetItem* unfinished =
            again.findChild<QTreeWidget*>(QStringLiteral("librarySetList"))->topLevelItem(1);
        QCOMPARE(unfinished->checkState(0), Qt::Checked);
        QCOMPARE(unfinished->text(4), QStringLiteral("Will be merged again into \"Beta_1\", "
                                                     "replacing a merge that did not finish"));
    }

    void NamesTheFoldersItCouldNotReadAndTheLinksItPassedOver() {
        QTemporaryDir dir;
        MakeShelf(dir);
        QVERIFY(QFile::link(QStringLiteral("."), dir.filePath(QStringLiteral("self"))));
        LibraryDialog dialog(dir.path().toStdString());
        auto* notes = dialog.findChild<QLabel*>(QStringLiteral("libraryNotes"));
        QCOMPARE(notes->text(),
                 QStringLiteral("self: A link to \".\", a folder above it: not followed."));
        QVERIFY(!notes->isHidden());

        LibraryDialog missing(dir.filePath(QStringLiteral("gone")).toStdString());
        auto* list = missing.findChild<QTreeWidget*>(QStringLiteral("librarySetList"));
        QCOMPARE(list->topLevelItemCount(), 1);
        QTreeWidgetItem* row = list->topLevelItem(0);
        QCOMPARE(row->text(0), QStringLiteral("."));
        QCOMPARE(row->text(4),
                 QStringLiteral("The folder cannot be read (No such file or directory)"));
        QCOMPARE(row->data(0, Qt::CheckStateRole), QVariant());
        QVERIFY(!(row->flags() & Qt::ItemIsUserCheckable));
        QVERIFY(missing.findChild<QLabel*>(QStringLiteral("libraryNotes"))->isHidden());
        QCOMPARE(missing.findChild<QLabel*>(QStringLiteral("librarySummary"))->text(),
                 QStringLiteral("0 sets found, 0 checked. 1 folder could not be read."));
    }

    void MergesTheCheckedSetsAskingOnce() {
        QTemporaryDir dir;
        MakeShelf(dir);
        LibraryDialog dialog(dir.path().toStdString());
        auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("librarySetList"));
        list->topLevelItem(1)->setCheckState(0, Qt::Checked);
        int asked = 0;
        bool titleOffered = true;
        WhenModal(QStringLiteral("mergeOptionsDialog"), [&](QWidget* options) {
            ++asked;
            // Each set keeps its own title and artist: the dialog offers neither.
            titleOffered =
                options->findChild<QLineEdit*>(QStringLiteral("titleField"))->isVisible() ||
                !options->findChild<QLabel*>(QStringLiteral("sharedNote"))->isVisible();
            options->findChild<QPushButton*>(QStringLiteral("startMergeButton"))->click();
        });
        dialog.findChild<QPushButton*>(QStringLiteral("mergeButton"))->click();
        QVERIFY(WaitUntil([&] { return !dialog.Merging(); }, 30000));
        QCOMPARE(asked, 1);
        QVERIFY(!titleOffered);
        QCOMPARE(list->topLevelItem(0)->text(4), QStringLiteral("Merged into \"Alpha_1\""));
        QCOMPARE(list->topLevelItem(1)->text(4), QStringLiteral("Merged into \"Beta_1\""));
        QCOMPARE(QDir(dir.filePath(QStringLiteral("Alpha_1")))
                     .entryList({QStringLiteral("*.mp3")}, QDir::Files)
                     .size(),
                 4);
        QCOMPARE(QDir(dir.filePath(QStringLiteral("Beta_1")))
                     .entryList({QStringLiteral("*.mp3")}, QDir::Files)
                     .size(),
                 3);
    }
};

}  // namespace brambex

BRAMBEX_SHELL_TEST_MAIN(brambex::LibraryDialogTest)
#include "library_dialog_test.moc"
