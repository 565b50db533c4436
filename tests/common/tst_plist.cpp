// The property-list reader against the common reference reader: what it refuses, with a reason,
// and what it reads that a stricter reader would refuse. (Agents it reads are driven through the
// stand-in service manager.)
#include "common/plist.h"

#include <QDateTime>
#include <QTest>

using namespace vistrel;
using namespace Qt::StringLiterals;

namespace {
QByteArray nested(int depth) {
    return "<plist>" + QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth) + "</plist>";
}
// A plist of exactly size bytes.
QByteArray sized(qint64 size) {
    return "<plist><string>" + QByteArray(size - 32, 'a') + "</string></plist>";
}
} // namespace

class PlistTest : public QObject {
    Q_OBJECT

private slots:
    void read_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("refusal"); // empty: read, as value (unless that is invalid)
        QTest::addColumn<QVariant>("value");
        const QByteArray entity = "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY p \"/bin/sh\">]><plist>";
        const std::tuple<const char *, QByteArray, const char *, QVariant> rows[] = {
            {"entity declared", entity + "<string>&p;</string></plist>", "entity declarations are not supported", {}},
            {"date out of range", "<plist><date>2021-02-29T00:00:00Z</date></plist>", "is not a date", {}},
            {"date without a day", "<plist><date>2021-02Z</date></plist>", "is not a date", {}},
            {"base64 padding", "<plist><data>YWJ</data></plist>", "not base64", {}},
            {"DOCTYPE inside", "<plist><!DOCTYPE plist><string>x</string></plist>", "DOCTYPE inside", {}},
            {"65 levels", nested(65), "values nested deeper than 64 levels", {}},
            {"64 levels", nested(64), "", {}},
            {"a byte too large", sized(maxPlistBytes + 1), "larger than", {}},
            {"as large as allowed", sized(maxPlistBytes), "", {}},
            {"bracket as a reference", "<plist><string>&#93;]></string></plist>", "", u"]]>"_s},
            {"hexadecimal integer", "<plist><integer>0x1F</integer></plist>", "", 31LL},
            {"twenty digits", "<plist><integer>12345678901234567890</integer></plist>", "",
             QVariant::fromValue(PlistLargeInteger{u"12345678901234567890"_s})},
            {"two values, the last counts", "<plist><true/><false/></plist>", "", false},
            {"date", "<plist><date>2024-02-29T12:30Z</date></plist>", "",
             QDateTime(QDate(2024, 2, 29), QTime(12, 30), Qt::UTC)},
            {"data", "<plist><data>YW Jj\n</data></plist>", "", QByteArray("abc")},
        };
        for (const auto &[name, xml, refusal, value] : rows)
            QTest::newRow(name) << xml << QString::fromUtf8(refusal) << value;
    }
    void read() {
        QFETCH(QByteArray, xml);
        QFETCH(QString, refusal);
        QFETCH(QVariant, value);
        QString error;
        const std::optional<QVariant> result = parsePlist(xml, &error);
        QVERIFY2(refusal.isEmpty() ? result.has_value() : !result && error.contains(refusal), qPrintable(error));
        if (value.isValid())
            QCOMPARE(*result, value);
    }
};

QTEST_GUILESS_MAIN(PlistTest)
#include "tst_plist.moc"
