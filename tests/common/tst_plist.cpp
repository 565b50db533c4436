// Property lists as the bundles and the launch agent use them.
#include "common/plist.h"

#include <QTest>

using namespace vistrel;
using namespace Qt::StringLiterals;

class PlistTest : public QObject {
    Q_OBJECT

private slots:
    void parsesNestedValues() {
        const QByteArray xml = // (no raw string: moc cannot parse one here)
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<dict>\n"
            "    <key>Label</key>\n    <string>com.qelvo.vistrel</string>\n"
            "    <key>ProgramArguments</key>\n    <array>\n        <string>/Users/a&amp;b/Tarvik</string>\n    "
            "</array>\n"
            "    <key>EnvironmentVariables</key>\n    <dict>\n"
            "        <key>DYLD_LIBRARY_PATH</key>\n        <string>/x/ffmpeg7/lib</string>\n    </dict>\n"
            "    <key>RunAtLoad</key>\n    <true/>\n    <key>KeepAlive</key>\n    <false/>\n"
            "    <key>Nice</key>\n    <integer>-5</integer>\n    <key>Ratio</key>\n    <real>0.5</real>\n"
            "</dict>\n</plist>\n";
        QString error;
        const auto value = parsePlist(xml, &error);
        QVERIFY2(value, qPrintable(error));
        const QVariantMap map = value->toMap();
        QCOMPARE(map.value("Label").toString(), u"com.qelvo.vistrel"_s);
        QCOMPARE(map.value("ProgramArguments").toList().value(0).toString(), u"/Users/a&b/Tarvik"_s);
        QCOMPARE(map.value("EnvironmentVariables").toMap().value("DYLD_LIBRARY_PATH").toString(), u"/x/ffmpeg7/lib"_s);
        QCOMPARE(map.value("RunAtLoad").typeId(), QMetaType::Bool);
        QCOMPARE(map.value("RunAtLoad").toBool(), true);
        QCOMPARE(map.value("KeepAlive").toBool(), false);
        QCOMPARE(map.value("Nice").toLongLong(), qint64(-5));
        QCOMPARE(map.value("Ratio").toDouble(), 0.5);
    }

    void rejectsMalformed_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("unescaped ampersand")
            << QByteArray("<plist><dict><key>a</key><string>a&b</string></dict></plist>");
        QTest::newRow("unclosed") << QByteArray("<plist><dict><key>a</key><string>x</string>");
        QTest::newRow("key without value") << QByteArray("<plist><dict><key>a</key></dict></plist>");
        QTest::newRow("bad integer") << QByteArray("<plist><integer>x</integer></plist>");
    }
    void rejectsMalformed() {
        QFETCH(QByteArray, xml);
        QString error;
        QVERIFY(!parsePlist(xml, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(PlistTest)
#include "tst_plist.moc"
