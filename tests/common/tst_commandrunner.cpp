// The command runner and the service-manager client, run against real programs.
#include "common/commandrunner.h"
#include "common/error.h"
#include "common/launchagent.h"

#include "await.h"
#include "testenv.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel;
using namespace Qt::StringLiterals;

namespace {

std::optional<Error> shellError(const QString &command) {
    return test::thrownError(runCommand(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), command}));
}

} // namespace

class CommandRunnerTest : public QObject {
    Q_OBJECT

private slots:
    void shellResults_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("status"); // 0: no error thrown
        QTest::addColumn<QString>("output");
        QTest::newRow("both streams in one pipe, in order")
            << "echo one; echo two >&2; echo three; exit 9" << 9 << "one\ntwo\nthree\n";
        QTest::newRow("undecodable output") << "printf '\\xff\\xfe'; exit 2" << 2 << "";
        // Far more than a pipe holds, on both streams; the child must not stall.
        QTest::newRow("much output never blocks")
            << "head -c 8000000 /dev/zero | tr '\\0' a; head -c 3000000 /dev/zero | tr '\\0' b >&2; exit 4" << 4
            << QString(8000000, u'a') + QString(3000000, u'b');
        QTest::newRow("success with output") << "echo fine; echo also fine >&2" << 0 << "";
    }
    void shellResults() {
        QFETCH(QString, command);
        QFETCH(int, status);
        QFETCH(QString, output);
        const auto e = shellError(command);
        QCOMPARE(e.has_value(), status != 0);
        if (e) {
            QCOMPARE(e->domain(), u"ShellError"_s);
            QCOMPARE(e->code(), qint64(status));
            QCOMPARE(e->description(), output);
        }
    }

    // Every call an argument list to the named tool; bootout reaches the job through a plist only
    // when it names our label; restart is bootout, the gap, bootstrap; a hang is ended and named.
    void launchAgentCalls() {
        QTemporaryDir dir;
        const QString log = dir.filePath(u"calls"_s);
        const QString tool = test::writeScript(dir.filePath(u"launch ctl"_s), "echo \"$*\" >> '" + log.toUtf8() +
                                                                                  "'\n[ \"$1\" = print ] && sleep 5\n"
                                                                                  "echo refused; exit 5\n");
        const QString plist = dir.filePath(u"a'b $x.plist"_s);
        const LaunchAgent agent(tool, plist, ChildOutput::CaptureMerged, std::chrono::milliseconds(1000));
        QCOMPARE(agent.reachableTarget(), LaunchAgent::Target::Label);
        QVERIFY(
            test::writeFile(plist, "<plist><dict><key>Label</key><string>com.qelvo.vistrel</string></dict></plist>"));
        QCOMPARE(agent.reachableTarget(), LaunchAgent::Target::Plist);

        const std::optional<Error> failed = test::await(agent.bootstrap(u"501"_s)).failure();
        QVERIFY(failed);
        QCOMPARE(failed->code(), qint64(5));
        QCOMPARE(failed->description(), u"refused\n"_s);
        test::await(agent.bootout(u"501"_s, LaunchAgent::Target::Label));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(test::await(agent.restart(u"501"_s, std::chrono::milliseconds(300))).result.exitCode, 5);
        QVERIFY(clock.elapsed() >= 300);
        const std::optional<Error> hung = test::await(agent.print(u"501"_s)).failure();
        QVERIFY(hung);
        QCOMPARE(hung->code(), qint64(commandTimedOutCode));
        QVERIFY(hung->description().endsWith(tool + u" print gui/501/com.qelvo.vistrel"_s));
        QCOMPARE(QString::fromUtf8(test::readFile(log)).split(u'\n', Qt::SkipEmptyParts),
                 QStringList({u"bootstrap gui/501 "_s + plist, u"bootout gui/501/com.qelvo.vistrel"_s,
                              u"bootout gui/501 "_s + plist, u"bootstrap gui/501 "_s + plist,
                              u"print gui/501/com.qelvo.vistrel"_s}));
    }
};

QTEST_GUILESS_MAIN(CommandRunnerTest)
#include "tst_commandrunner.moc"
