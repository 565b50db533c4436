// Port text, table lookup and the formatter of table texts.
#include "common/porttext.h"
#include "common/shellquote.h"
#include "common/stringtable.h"
#include "common/textformat.h"

#include <QTest>

#include <limits>

using namespace vistrel;

class TextTest : public QObject {
    Q_OBJECT

private slots:
    void strictParse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plus") << "+8090" << true << qint64(8090);
        QTest::newRow("minus") << "-1" << true << qint64(-1);
        QTest::newRow("leading zeros") << "0080" << true << qint64(80);
        QTest::newRow("max") << "9223372036854775807" << true << std::numeric_limits<qint64>::max();
        QTest::newRow("min") << "-9223372036854775808" << true << std::numeric_limits<qint64>::min();
        QTest::newRow("overflow") << "9223372036854775808" << false << qint64(0);
        QTest::newRow("negative overflow") << "-9223372036854775809" << false << qint64(0);
        QTest::newRow("empty") << "" << false << qint64(0);
        QTest::newRow("sign alone") << "-" << false << qint64(0);
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
        QTest::newRow("overflow") << QByteArray("99999999999999999999") << qint64(8090);
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
        QCOMPARE(readPortFile(QStringLiteral("/nonexistent/Media/XML/port.txt")), qint64(8090));
        // A folder where the file should be cannot be read as text either.
        QCOMPARE(readPortFile(QStringLiteral("/tmp")), qint64(8090));
    }

    void lookupFallsBackToTheKeyOnly() {
        static constexpr StringEntry entries[] = {{u"status.running", u"Läuft"}, {u"app.title", u"Vistrel"}};
        const StringTable table = buildStringTable(entries);
        QCOMPARE(lookupText(table, QStringLiteral("status.running")), QStringLiteral("Läuft"));
        QCOMPARE(lookupText(table, QStringLiteral("status.stopped")), QStringLiteral("status.stopped"));
        QCOMPARE(lookupText(StringTable{}, QStringLiteral("app.title")), QStringLiteral("app.title"));
    }

    void format() {
        QCOMPARE(formatText(QStringLiteral("%dm il y a"), {qint64(3)}), QStringLiteral("3m il y a"));
        QCOMPARE(formatText(QStringLiteral("Last check: %@"), {QStringLiteral("5s ago")}),
                 QStringLiteral("Last check: 5s ago"));
        QCOMPARE(formatText(QStringLiteral("Downloaded %.1f MB of %.1f MB (%d%%)"), {5.0, 10.0, qint64(50)}),
                 QStringLiteral("Downloaded 5.0 MB of 10.0 MB (50%)"));
        // Rounds exactly as printf does (the tables' formats are printf formats).
        for (const double v : {0.04999, 2.25, 0.05, 0.15, 9.95, 1048575.95})
            QCOMPARE(formatText(QStringLiteral("%.1f"), {v}), QString::asprintf("%.1f", v));
        // A key standing in for its text, other '%' sequences, placeholders without a value or with
        // a value of another kind: all stay as written.
        QCOMPARE(formatText(QStringLiteral("status.runningOnPort"), {qint64(1)}),
                 QStringLiteral("status.runningOnPort"));
        QCOMPARE(formatText(QStringLiteral("100% %x 50%"), {qint64(1)}), QStringLiteral("100% %x 50%"));
        QCOMPARE(formatText(QStringLiteral("%d and %d"), {qint64(1)}), QStringLiteral("1 and %d"));
        QCOMPARE(formatText(QStringLiteral("%d"), {QStringLiteral("x")}), QStringLiteral("%d"));
        // A value never becomes a format of its own.
        QCOMPARE(formatText(QStringLiteral("%@ %d"), {QStringLiteral("%d"), qint64(7)}), QStringLiteral("%d 7"));
    }

    void xmlEscapesTheFiveCharacters() {
        QCOMPARE(xmlEscape(QStringLiteral("/Users/a&b <c> \"d\" 'e'")),
                 QStringLiteral("/Users/a&amp;b &lt;c&gt; &quot;d&quot; &apos;e&apos;"));
    }
};

QTEST_GUILESS_MAIN(TextTest)
#include "tst_text.moc"
