#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel::test;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray output;
};

Run run(const QString &program, const QStringList &arguments, const QString &workingDirectory = {},
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(workingDirectory);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll()};
}

QStringList zipEntries(const QString &zip) {
    const Run listing = run(QStringLiteral("/usr/bin/unzip"), {QStringLiteral("-Z1"), zip});
    return QString::fromUtf8(listing.output).split(u'\n', Qt::SkipEmptyParts);
}

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool executableByAll(const QString &path) {
    const auto p = QFileInfo(path).permissions();
    return p.testFlag(QFileDevice::ExeOwner) && p.testFlag(QFileDevice::ExeGroup) && p.testFlag(QFileDevice::ExeOther);
}

bool writeScript(const QString &path, const QByteArray &body) {
    return writeFile(path, "#!/bin/sh\n" + body + '\n') &&
           QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

} // namespace

class TestDemoPackage : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath(QStringLiteral("Application Support/Vistrel"));
        QVERIFY(QDir().mkpath(m_root));
        const Run unzip =
            run(QStringLiteral("/usr/bin/unzip"), {QStringLiteral("-o"), demoPackage(), QStringLiteral("-d"), m_root});
        QVERIFY2(unzip.exitCode == 0, unzip.output.constData());
    }

    void unpacksAsTheServerLayout() {
        const QStringList entries = zipEntries(demoPackage());
        for (const QString &expected :
             {QStringLiteral("TarvikService.app/Contents/MacOS/Tarvik"),
              QStringLiteral("TarvikService.app/Contents/MacOS/ffmpeg7/lib/"), QStringLiteral("open_browser_macos.sh")})
            QVERIFY2(entries.contains(expected), qPrintable(expected));
        // The user's data is never shipped: an update must not overwrite it.
        for (const QString &entry : entries)
            QVERIFY2(!entry.startsWith(QStringLiteral("Media")), qPrintable(entry));

        const QString server = m_root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik");
        QVERIFY(executableByAll(server));
        QVERIFY(executableByAll(m_root + QStringLiteral("/open_browser_macos.sh")));
        QVERIFY(QFileInfo(m_root + QStringLiteral("/TarvikService.app/Contents/MacOS/ffmpeg7/lib")).isDir());
        // The package carries the server as last built, not a stale copy.
        QVERIFY(fileBytes(server) == fileBytes(demoServerProgram()));
    }

    void browserScriptOpensConfiguredPort_data() {
        QTest::addColumn<QString>("system");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("portText");
        QTest::addColumn<QString>("expected");

        const QString linux = QStringLiteral("Linux");
        QTest::newRow("port file") << linux << true << QByteArray("9000")
                                   << QStringLiteral("xdg-open http://localhost:9000");
        QTest::newRow("line break and plus")
            << linux << true << QByteArray(" +09123\n") << QStringLiteral("xdg-open http://localhost:9123");
        QTest::newRow("no port file") << linux << false << QByteArray()
                                      << QStringLiteral("xdg-open http://localhost:8090");
        QTest::newRow("out of range") << linux << true << QByteArray("65536")
                                      << QStringLiteral("xdg-open http://localhost:8090");
        QTest::newRow("huge") << linux << true << QByteArray("99999999999999999999999")
                              << QStringLiteral("xdg-open http://localhost:8090");
        QTest::newRow("shell text") << linux << true << QByteArray("$(touch pwned)")
                                    << QStringLiteral("xdg-open http://localhost:8090");
        QTest::newRow("macOS opener") << QStringLiteral("Darwin") << true << QByteArray("8123")
                                      << QStringLiteral("open http://localhost:8123");
    }

    void browserScriptOpensConfiguredPort() {
        QFETCH(QString, system);
        QFETCH(bool, present);
        QFETCH(QByteArray, portText);
        QFETCH(QString, expected);

        // Stand-in openers record what they were asked to open.
        QTemporaryDir bin;
        const QString record = bin.filePath(QStringLiteral("opened"));
        QVERIFY(writeScript(bin.filePath(QStringLiteral("uname")), "echo " + system.toUtf8()));
        for (const char *opener : {"xdg-open", "open"})
            QVERIFY(writeScript(bin.filePath(QString::fromLatin1(opener)),
                                QByteArray("echo \"") + opener + " $*\" >> '" + record.toUtf8() + "'"));
        const QString portFile = m_root + QStringLiteral("/Media/XML/port.txt");
        QFile::remove(portFile);
        if (present)
            QVERIFY(writeFile(portFile, portText));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PATH"), bin.path() + u':' + environment.value(QStringLiteral("PATH")));
        const Run script =
            run(QStringLiteral("/bin/bash"), {QStringLiteral("open_browser_macos.sh")}, m_root, environment);
        QVERIFY2(script.exitCode == 0, script.output.constData());
        QCOMPARE(QString::fromUtf8(fileBytes(record)).trimmed(), expected);
        QVERIFY(!QFile::exists(m_root + QStringLiteral("/pwned")));
        QFile::remove(portFile);
    }

    void makesPaddedPackage() {
        const QString script = QStringLiteral(VISTREL_TEST_MAKE_PACKAGE);
        QTemporaryDir out;
        const QString zip = out.filePath(QStringLiteral("sub dir/big package.zip"));
        const Run made = run(QStringLiteral("/bin/bash"), {script, demoServerProgram(), zip, QStringLiteral("2")});
        QVERIFY2(made.exitCode == 0, made.output.constData());
        // Random padding does not compress: the archive is at least as large.
        QVERIFY(QFileInfo(zip).size() >= 2 * 1048576);
        QVERIFY(!QFile::exists(zip + QStringLiteral(".partial.zip")));

        const QString root = out.filePath(QStringLiteral("root"));
        QCOMPARE(
            run(QStringLiteral("/usr/bin/unzip"), {QStringLiteral("-o"), zip, QStringLiteral("-d"), root}).exitCode, 0);
        QCOMPARE(QFileInfo(root + QStringLiteral("/TarvikService.app/Contents/Resources/padding.bin")).size(),
                 2 * 1048576);
        QVERIFY(executableByAll(root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik")));
        QVERIFY(executableByAll(root + QStringLiteral("/open_browser_macos.sh")));
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("/Media")));
    }

    void refusesBadPackageArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no output") << QStringList{demoServerProgram()} << 2;
        QTest::newRow("padding not a number")
            << QStringList{demoServerProgram(), QStringLiteral("{out}"), QStringLiteral("1e3")} << 2;
        QTest::newRow("no server") << QStringList{demoServerProgram() + QStringLiteral(".missing"),
                                                  QStringLiteral("{out}")}
                                   << 1;
    }

    void refusesBadPackageArguments() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QTemporaryDir out;
        const QString zip = out.filePath(QStringLiteral("package.zip"));
        arguments.replaceInStrings(QStringLiteral("{out}"), zip);
        const Run made =
            run(QStringLiteral("/bin/bash"), QStringList{QStringLiteral(VISTREL_TEST_MAKE_PACKAGE)} + arguments);
        QCOMPARE(made.exitCode, exitCode);
        QVERIFY(!made.output.isEmpty());
        QVERIFY(!QFile::exists(zip));
    }
};

QTEST_GUILESS_MAIN(TestDemoPackage)
#include "tst_demopackage.moc"
