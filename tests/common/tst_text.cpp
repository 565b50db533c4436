// Port text and the formatter of table texts.
#include "common/plist.h"
#include "common/porttext.h"
#include "common/smallfile.h"
#include "common/textformat.h"
#include "testenv.h"

#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace vistrel;
using vistrel::test::writeFile;
using namespace Qt::StringLiterals;

class TextTest : public QObject {
    Q_OBJECT

private slots:
    void strictParse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plus") << "+8090" << true << qint64(8090);
        QTest::newRow("leading zeros") << "0080" << true << qint64(80);
        QTest::newRow("max") << "9223372036854775807" << true << std::numeric_limits<qint64>::max();
        QTest::newRow("min") << "-9223372036854775808" << true << std::numeric_limits<qint64>::min();
        QTest::newRow("overflow") << "9223372036854775808" << false << qint64(0);
        QTest::newRow("empty") << "" << false << qint64(0);
        QTest::newRow("two signs") << "+-5" << false << qint64(0);
        QTest::newRow("letters") << "80a" << false << qint64(0);
        QTest::newRow("untrimmed") << " 8090" << false << qint64(0);
        QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0668\u0660") << false << qint64(0);
    }
    void strictParse() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(qint64, value);
        QCOMPARE(parseSignedInt64(text), valid ? std::optional<qint64>(value) : std::nullopt);
    }

    void lenientPortFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("port");
        QTest::newRow("newline and blanks") << QByteArray("  8091\n  \n") << qint64(8091);
        QTest::newRow("crlf, tab and plus") << QByteArray("\t+9000\r\n") << qint64(9000);
        QTest::newRow("no range check") << QByteArray("70000") << qint64(70000);
        QTest::newRow("negative kept") << QByteArray("-5") << qint64(-5);
        QTest::newRow("only white space") << QByteArray(" \n\t ") << qint64(8090);
        QTest::newRow("letters") << QByteArray("80a1") << qint64(8090);
        QTest::newRow("not utf-8") << QByteArray("\xff\xfe"
                                                 "8091")
                                   << qint64(8090);
        QTest::newRow("two lines") << QByteArray("8091\n8092") << qint64(8090);
    }
    void lenientPortFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, port);
        QCOMPARE(portFromFileContent(bytes), port);
    }

    void unreadablePortFile() {
        QCOMPARE(readPortFile(u"/nonexistent/Media/XML/port.txt"_s), qint64(8090));
        // A folder where the file should be cannot be read as text either.
        QCOMPARE(readPortFile(u"/tmp"_s), qint64(8090));
        // Nor a file beyond the small-file limit, by one byte.
        QTemporaryDir folder;
        const QString file = folder.filePath(u"port.txt"_s);
        QVERIFY(writeFile(file, "8091" + QByteArray(smallFileLimit - 4, ' ')));
        QCOMPARE(readPortFile(file), qint64(8091));
        QVERIFY(writeFile(file, "8091" + QByteArray(smallFileLimit - 3, ' ')));
        QCOMPARE(readPortFile(file), qint64(8090));
    }

    void format() {
        QCOMPARE(formatText(u"%dm il y a"_s, {qint64(3)}), u"3m il y a"_s);
        QCOMPARE(formatText(u"Last check: %@"_s, {u"5s ago"_s}), u"Last check: 5s ago"_s);
        QCOMPARE(formatText(u"Downloaded %.1f MB of %.1f MB (%d%%)"_s, {5.0, 10.0, qint64(50)}),
                 u"Downloaded 5.0 MB of 10.0 MB (50%)"_s);
        // Rounds exactly as printf does (the tables' formats are printf formats).
        for (const double v : {0.04999, 2.25, 0.05, 0.15, 9.95, 1048575.95})
            QCOMPARE(formatText(u"%.1f"_s, {v}), QString::asprintf("%.1f", v));
        // A key standing in for its text, other '%' sequences, placeholders without a value or with
        // a value of another kind: all stay as written.
        QCOMPARE(formatText(u"status.runningOnPort"_s, {qint64(1)}), u"status.runningOnPort"_s);
        QCOMPARE(formatText(u"100% %x 50%"_s, {qint64(1)}), u"100% %x 50%"_s);
        QCOMPARE(formatText(u"%d and %d"_s, {qint64(1)}), u"1 and %d"_s);
        QCOMPARE(formatText(u"%d"_s, {u"x"_s}), u"%d"_s);
        // A value never becomes a format of its own.
        QCOMPARE(formatText(u"%@ %d"_s, {u"%d"_s, qint64(7)}), u"%d 7"_s);
    }
};

QTEST_GUILESS_MAIN(TextTest)
#include "tst_text.moc"
