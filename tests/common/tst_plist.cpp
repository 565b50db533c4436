// Property lists the parser must refuse (what it reads is driven through the stand-in service
// manager and the platform tests).
#include "common/plist.h"

#include <QTest>

using namespace vistrel;
using namespace Qt::StringLiterals;

class PlistTest : public QObject {
    Q_OBJECT

private slots:
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
