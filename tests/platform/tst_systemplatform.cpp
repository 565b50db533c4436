// The real platform layer over real bundles in a temporary home.
#include "platform/systemplatform.h"

#include "common/paths.h"
#include "testenv.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel;
using namespace Qt::StringLiterals;

namespace {

// A bundle whose executable is a script that records that it ran, and where.
bool makeBundle(const QString &bundle, const QString &identifier, const QString &marker) {
    const QString plist = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                                         "<key>CFBundleExecutable</key><string>Runner</string>\n"
                                         "<key>CFBundleIdentifier</key><string>%1</string>\n</dict>\n</plist>\n")
                              .arg(identifier);
    return test::writeFile(bundle + u"/Contents/Info.plist"_s, plist.toUtf8()) &&
           !test::writeScript(bundle + u"/Contents/MacOS/Runner"_s, "pwd > '" + marker.toUtf8() + "'\n").isEmpty();
}

} // namespace

class SystemPlatformTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void initTestCase() {
        // Settings land under XDG_CONFIG_HOME, read once per process: point it away first.
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    }

    void openApplicationByBundleIdentifier() {
        QTemporaryDir home;
        const QByteArray previousHome = qgetenv("HOME");
        qputenv("HOME", home.path().toLocal8Bit());
        const QString marker = home.filePath(u"ran"_s);
        // A decoy with another identifier is listed first; only the bundle with the asked identifier starts.
        QVERIFY(makeBundle(home.filePath(u"Applications/Another.app"_s), u"com.example.other"_s,
                           home.filePath(u"wrong"_s)));
        QVERIFY(makeBundle(home.filePath(u"Applications/Vistrel.app"_s),
                           QString::fromUtf16(paths::launcherBundleIdentifier), marker));
        // One whose Info.plist nests without end is passed over, not fatal.
        QVERIFY(test::writeFile(home.filePath(u"Applications/Broken.app/Contents/Info.plist"_s),
                                "<plist>" + QByteArray("<array>").repeated(50000)));

        SystemPlatform platform(u"PlatformTest"_s);
        QCOMPARE(platform.homeDirectory(), home.path());
        QCOMPARE(SystemPlatform::findApplicationBundle(home.path(), u"com.example.missing"_s), QString());
        QVERIFY(platform.openApplication(QString::fromUtf16(paths::launcherBundleIdentifier)));
        QTRY_COMPARE(QString::fromUtf8(test::readFile(marker)).trimmed(),
                     QFileInfo(home.filePath(u"Applications/Vistrel.app"_s)).canonicalFilePath());
        QVERIFY(!QFile::exists(home.filePath(u"wrong"_s)));
        QVERIFY(!platform.openApplication(u"com.example.missing"_s));
        qputenv("HOME", previousHome);
    }
};

QTEST_MAIN(SystemPlatformTest)
#include "tst_systemplatform.moc"
