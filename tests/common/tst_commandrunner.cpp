// The shell runner, the process runner and the quoting helper, run against real programs.
#include "common/commandrunner.h"
#include "common/error.h"
#include "common/shellquote.h"

#include "await.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel;
using namespace Qt::StringLiterals;

namespace {

std::optional<Error> shellError(const QString &command) {
    return test::thrownError(runShellCommand(command));
}

} // namespace

class CommandRunnerTest : public QObject {
    Q_OBJECT

private slots:
    void shellResults_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("status"); // 0: no error thrown
        QTest::addColumn<QString>("output");
        QTest::newRow("error with output") << "echo 'disk full' >&2; exit 3" << 3 << "disk full\n";
        QTest::newRow("both streams in one pipe, in order")
            << "echo one; echo two >&2; echo three; exit 9" << 9 << "one\ntwo\nthree\n";
        QTest::newRow("undecodable output") << "printf '\\xff\\xfe'; exit 2" << 2 << "";
        QTest::newRow("success after a failure") << "pkill -9 no-such-process-name-here 2>/dev/null || true" << 0 << "";
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

    void muchOutputNeverBlocks() {
        // Far more than a pipe holds, on both streams; the child must not stall.
        const auto e = shellError(QStringLiteral("head -c 8000000 /dev/zero | tr '\\0' a; "
                                                 "head -c 3000000 /dev/zero | tr '\\0' b >&2; exit 4"));
        QVERIFY(e);
        QCOMPARE(e->code(), qint64(4));
        QCOMPARE(e->description().size(), qsizetype(11000000));
        QCOMPARE(e->description().count(u'b'), qsizetype(3000000));
    }

    void quotingSurvivesHostilePaths_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("spaces and quotes") << "ana's \"Application Support\"";
        QTest::newRow("dollar and backtick") << "$HOME ${PATH} `touch pwned` $(touch pwned)";
        QTest::newRow("ampersand and semicolon") << "a & b; touch pwned";
        QTest::newRow("newline") << "line\nbreak";
        QTest::newRow("glob, tilde and dash") << "-rf ~ * ?";
    }
    void quotingSurvivesHostilePaths() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(QDir().mkpath(path));
        // Real commands on the quoted path: test it, write into it, and echo it back byte for byte.
        QVERIFY(!shellError(u"cd "_s + dir.path() + u" && test -d "_s + shellQuote(path) + u" && touch "_s +
                            shellQuote(path + u"/marker"_s)));
        QVERIFY(QFile::exists(path + u"/marker"_s));
        const auto echoed = shellError(u"printf %s "_s + shellQuote(path) + u"; exit 1"_s);
        QVERIFY(echoed);
        QCOMPARE(echoed->description(), path);
        QVERIFY(!QFile::exists(dir.filePath(u"pwned"_s)));
    }

    void processWithWorkingDirectoryAndTimeout() {
        QTemporaryDir dir;
        auto r = test::await(runProcess(u"/bin/pwd"_s, {}, ChildOutput::CaptureStdout, dir.path()));
        QVERIFY(r.started);
        QCOMPARE(QString::fromUtf8(r.output).trimmed(), QDir(dir.path()).canonicalPath());

        r = test::await(
            runProcess(u"/bin/sleep"_s, {u"30"_s}, ChildOutput::CaptureMerged, {}, std::chrono::milliseconds(200)));
        QVERIFY(r.started);
        QVERIFY(r.exitCode != 0);

        r = test::await(runProcess(u"/nonexistent/program"_s, {}));
        QVERIFY(!r.started);
        QVERIFY(!r.launchError.isEmpty());
    }
};

QTEST_GUILESS_MAIN(CommandRunnerTest)
#include "tst_commandrunner.moc"
