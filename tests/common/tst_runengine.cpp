// The run both programs share: guard, step lines, pause, progress and the log's rows.
#include "common/error.h"
#include "common/runengine.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace vistrel;
using namespace Qt::StringLiterals;

namespace {

constexpr auto stepPause = std::chrono::milliseconds(40);

// Three steps; each logs its start and throws when its index is failAt.
class ThreeSteps : public RunEngine {
public:
    ThreeSteps()
        : RunEngine(3, stepPause) {}
    int failAt = -1;
    std::optional<QString> refusal;
    QList<qint64> started; // ms on a clock of the test's
    QElapsedTimer clock;
    using RunEngine::replaceLastLog;
    using RunEngine::start;

private:
    QCoro::Task<> perform() override {
        if (refusal)
            refuse(*refusal);
        else
            co_await runSteps();
    }
    QCoro::Task<> runStep(int index) override {
        started << clock.elapsed();
        appendLog(u"step %1"_s.arg(index));
        if (index == failAt)
            throw Error(u"TestError"_s, 1, u"broke at %1"_s.arg(index));
        co_return;
    }
    QString stepName(int index) const override { return u"s%1"_s.arg(index); }
};

} // namespace

class RunEngineTest : public QObject {
    Q_OBJECT

private slots:
    void goodRunThenFailedRun() {
        ThreeSteps run;
        QAbstractItemModelTester tester(run.logModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(run.logModel(), &QAbstractItemModel::rowsInserted);
        QSignalSpy finished(&run, &RunEngine::runFinished);
        QStringList events; // a step and its progress show after the previous step's result line
        connect(&run, &RunEngine::currentStepChanged, this,
                [&] { events << u"step %1 at %2"_s.arg(run.currentIndex()).arg(run.logLines().size()); });
        connect(&run, &RunEngine::progressChanged, this,
                [&] { events << u"%1 at %2"_s.arg(run.progress()).arg(run.logLines().size()); });
        run.clock.start();
        run.start();
        run.start(); // ignored while a run goes
        QVERIFY(run.isRunning() && run.isActive());
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.size(), 1);
        QVERIFY(!run.isRunning() && run.isActive() && !run.error());
        QCOMPARE(run.logLines(),
                 QStringList({"step 0", "✅ s0 complete", "step 1", "✅ s1 complete", "step 2", "✅ s2 complete"}));
        QCOMPARE(inserted.size(), 6); // a row per line
        QCOMPARE(events, QStringList({"step 1 at 2", "1 at 2", "step 2 at 4", "2 at 4", "3 at 6"}));
        for (qsizetype i = 1; i < run.started.size(); ++i)
            QVERIFY(run.started[i] - run.started[i - 1] >= stepPause.count());

        // Again, failing in the middle: the log starts over and the run stops at that step.
        run.failAt = 1;
        run.start();
        QCOMPARE(run.progress(), 0.0);
        QVERIFY(finished.wait(5000));
        QCOMPARE(run.logLines(), QStringList({"step 0", "✅ s0 complete", "step 1", "❌ s1 failed: broke at 1"}));
        QCOMPARE(run.error(), std::optional<QString>(u"broke at 1"_s));
        QVERIFY(run.progress() == 1.0 && run.currentIndex() == 1 && run.isActive());
    }

    // The download progress rewrites the last row in place.
    void lastLineRewritten() {
        ThreeSteps run;
        QSignalSpy inserted(run.logModel(), &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(run.logModel(), &QAbstractItemModel::dataChanged);
        run.replaceLastLog(u"10%"_s); // an empty log: appended
        run.replaceLastLog(u"20%"_s);
        QVERIFY(inserted.size() == 1 && changed.size() == 1);
        QCOMPARE(run.logModel()->data(run.logModel()->index(0), LogModel::LineRole).toString(), u"20%"_s);
    }
};

QTEST_GUILESS_MAIN(RunEngineTest)
#include "tst_runengine.moc"
