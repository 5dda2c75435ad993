// The progress window: the percentage bar, Cancel and Esc, the close box as Cancel, and the
// second it stays on screen once the merge has finished.
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "shell/application.h"
#include "shell/progress_dialog.h"
#include "shell_test_support.h"

using namespace brambex;
using namespace brambex::testing;

class ProgressDialogTest : public QObject {
    Q_OBJECT

    static QProgressBar* Gauge(ProgressDialog& p) {
        return p.findChild<QProgressBar*>(QStringLiteral("gauge"));
    }

  private slots:
    void cleanup() { QCOMPARE(VisibleTopLevels(), 0); }

    void percentages_data() {
        QTest::addColumn<int>("total");
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<QList<int>>("shown");
        QTest::newRow("plain") << 7 << QList<int>{1, 2, 7} << QList<int>{14, 28, 100};
        QTest::newRow("never back") << 10 << QList<int>{5, 3, 5} << QList<int>{50, 50, 50};
        QTest::newRow("scaled total")
            << 30000000 << QList<int>{15000000, 150000} << QList<int>{50, 50};
        QTest::newRow("scaled from start") << 30000000 << QList<int>{150000} << QList<int>{0};
        QTest::newRow("zero total") << 0 << QList<int>{0, 1} << QList<int>{0, 100};
    }
    void percentages() {
        QFETCH(int, total);
        QFETCH(QList<int>, counts);
        QFETCH(QList<int>, shown);
        CancelFlag cancel;
        ProgressDialog progress(nullptr, "", total, &cancel, "Merging", true);
        for (int i = 0; i < counts.size(); ++i) {
            progress.SetProgress(counts[i]);
            QCOMPARE(Gauge(progress)->value(), shown[i]);
            QCOMPARE(Gauge(progress)->text(), QString::number(shown[i]) + "%");
        }
    }

    void textsAndCancel() {
        CancelFlag cancel;
        cancel.Request();
        auto progress = std::make_unique<ProgressDialog>(nullptr, "first", 10, &cancel,
                                                         "Merging \"Moby Dick Disc 1\"", true);
        QVERIFY(!cancel.Requested());
        progress->Create();
        QCOMPARE(progress->windowTitle(), QStringLiteral("Merging \"Moby Dick Disc 1\""));
        auto* line = progress->findChild<QLabel*>(QStringLiteral("messageLine"));
        QCOMPARE(line->text(), QStringLiteral("first"));
        progress->SetMessage("Merging track  7 from \"Moby Dick Disc 2\"");
        QCOMPARE(line->text(), QStringLiteral("Merging track  7 from \"Moby Dick Disc 2\""));
        progress->SetTitle("Merging \"Moby Dick Disc 2\"");
        QCOMPARE(progress->windowTitle(), QStringLiteral("Merging \"Moby Dick Disc 2\""));
        // The track under way is the one after those done; no estimate before two seconds.
        auto* count = progress->findChild<QLabel*>(QStringLiteral("countLine"));
        QCOMPARE(count->text(), QStringLiteral("Track 1 of 10."));
        progress->SetProgress(6);
        progress->SetBytes(600, 1000);
        QCOMPARE(count->text(), QStringLiteral("Track 7 of 10."));
        progress->SetProgress(10);
        QCOMPARE(count->text(), QStringLiteral("Track 10 of 10."));

        auto* button = progress->findChild<QPushButton*>(QStringLiteral("cancelButton"));
        QVERIFY(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(cancel.Requested());
        QVERIFY(progress->isVisible());
        cancel.Clear();
        QTest::keyClick(progress.get(), Qt::Key_Escape);
        QVERIFY(cancel.Requested());
        QVERIFY(progress->isVisible());
        QTest::qWait(ProgressDialog::MinimumShowMs);
        progress.reset();
    }

    void cancelCanBeHidden() {
        CancelFlag cancel;
        ProgressDialog progress(nullptr, "", 10, &cancel, "", false);
        progress.Create();
        QVERIFY(!progress.findChild<QPushButton*>(QStringLiteral("cancelButton"))->isVisible());
    }

    void closeBoxAsksThenCancels() {
        CancelFlag cancel;
        auto progress = std::make_unique<ProgressDialog>(nullptr, "", 10, &cancel, "", true);
        progress->Create();
        progress->SetProgress(4);
        for (Answer answer : {Answer::No, Answer::Yes}) {
            int asked = 0;
            SetMessageBoxAnswererForTesting([&](const MessageBoxShown& box) {
                asked += box.question ? 1 : 0;
                return answer;
            });
            progress->close();
            QCOMPARE(asked, 1);
            QCOMPARE(cancel.Requested(), answer == Answer::Yes);
            QVERIFY(progress->isVisible());  // until the merge has stopped
        }
        SetMessageBoxAnswererForTesting(nullptr);
        progress.reset();
    }

    void staysOnScreenForASecond() {
        CancelFlag cancel;
        QElapsedTimer clock;
        clock.start();
        QPointer<ProgressDialog> progress = new ProgressDialog(nullptr, "", 1, &cancel, "", true);
        progress->Create();
        progress->SetProgress(1);
        progress->Finish();
        QVERIFY(progress->isVisible());
        QVERIFY(WaitUntil([&] { return progress.isNull(); }, 3000));
        QVERIFY(clock.elapsed() >= ProgressDialog::MinimumShowMs - 20);
        // A window that has been up long enough goes at once.
        progress = new ProgressDialog(nullptr, "", 1, &cancel, "", true);
        progress->Create();
        QTest::qWait(ProgressDialog::MinimumShowMs + 50);
        QCOMPARE(progress->RemainingShowMs(), 0);
        clock.restart();
        progress->Finish();
        QVERIFY(WaitUntil([&] { return progress.isNull(); }, 3000));
        QVERIFY(clock.elapsed() < ProgressDialog::MinimumShowMs / 2);
    }
};

BRAMBEX_SHELL_TEST_MAIN(ProgressDialogTest)
#include "progress_dialog_test.moc"
