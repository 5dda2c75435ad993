// The worker thread both windows run their merges on: an error that escapes the merge
// is reported on the GUI thread, a second start waits for the first, and a runner
// that goes mid-merge cancels it and waits for it.
#include <QTest>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

#include "shell/application.h"
#include "shell/merge_runner.h"
#include "shell_test_support.h"

using namespace brambex;
using namespace brambex::testing;

class MergeRunnerTest : public QObject {
    Q_OBJECT
  private slots:
    void anEscapedErrorIsReportedAndTheNextRunStartsClean() {
        MergeRunner runner;
        int finished = 0;
        connect(&runner, &MergeRunner::finished, this, [&] { ++finished; });
        SeenBox seen;
        AnswerMessageBox(&seen, QMessageBox::Yes);
        QVERIFY(
            runner.Start([](const Cancellation&) { throw std::runtime_error("Disk on fire"); }));
        QVERIFY(WaitUntil([&] { return finished == 1; }));
        QVERIFY(runner.Failed());
        QCOMPARE(seen.text, QStringLiteral("Disk on fire\nOK to resume?"));
        QCOMPARE(seen.caption, QStringLiteral("Unhandled Exception"));

        runner.Cancel();
        bool cancelSeen = true;
        QVERIFY(runner.Start([&](const Cancellation& cancel) { cancelSeen = cancel.Requested(); }));
        QVERIFY(WaitUntil([&] { return finished == 2; }));
        QVERIFY(!runner.Failed());
        QVERIFY(!cancelSeen);
    }

    void aSecondStartWaitsForTheFirst() {
        MergeRunner runner;
        std::atomic<bool> release{false};
        QVERIFY(runner.Start([&](const Cancellation&) {
            while (!release)
                std::this_thread::yield();
        }));
        QVERIFY(!runner.Start([](const Cancellation&) {}));
        QVERIFY(runner.Running());
        release = true;
        QVERIFY(WaitUntil([&] { return !runner.Running(); }));
    }

    void goingMidMergeCancelsAndWaits() {
        auto runner = std::make_unique<MergeRunner>();
        int finished = 0;
        connect(runner.get(), &MergeRunner::finished, this, [&] { ++finished; });
        std::atomic<bool> started{false}, stopped{false};
        runner->Start([&](const Cancellation& cancel) {
            started = true;
            while (!cancel.Requested())
                std::this_thread::yield();
            stopped = true;
        });
        QVERIFY(WaitUntil([&] { return started.load(); }));
        runner.reset();
        QVERIFY(stopped);
        QTest::qWait(10);
        QCOMPARE(finished, 0);
    }
};

BRAMBEX_SHELL_TEST_MAIN(MergeRunnerTest)
#include "merge_runner_test.moc"
