#include "installer/localization/installerstrings.h"
#include "installer/localization/localizationmanager.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace vistrel;

namespace {

QStringList placeholders(QStringView text) {
    static const QRegularExpression pattern(QStringLiteral("%(\\.1f|d|@|%)"));
    QStringList found;
    for (const QRegularExpressionMatch &match : pattern.globalMatch(text))
        found.append(match.captured(0));
    return found;
}

} // namespace

class InstallerStringsTest : public QObject {
    Q_OBJECT

private slots:
    void languagesInMenuOrder() {
        QCOMPARE(installerLanguageCodes(), QStringList({"en", "es", "fr", "de", "it", "pt", "ja", "zh-Hans", "ru"}));
        QCOMPARE(LocalizationManager::supportedLanguages(), installerLanguageCodes());
    }

    void everyTableHasTheEnglishShape_data() {
        QTest::addColumn<QString>("code");
        for (const QString &code : installerLanguageCodes())
            QTest::newRow(qPrintable(code)) << code;
    }
    void everyTableHasTheEnglishShape() {
        QFETCH(QString, code);
        const auto english = installerStringEntries(u"en");
        const auto entries = installerStringEntries(code);
        QCOMPARE(entries.size(), std::size_t(35));
        QSet<QString> keys;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const QString key = entries[i].key.toString();
            QCOMPARE(key, english[i].key.toString());
            QVERIFY2(!keys.contains(key), qPrintable(key));
            keys.insert(key);
            QVERIFY2(!entries[i].text.isEmpty(), qPrintable(key));
            // Format texts keep the English placeholders in kind and order.
            QCOMPARE(placeholders(entries[i].text), placeholders(english[i].text));
        }
        // Only the English table may be taken for another language's: every other table is its own.
        if (code != u"en")
            QVERIFY(entries.data() != english.data());
        const StringTable &table = installerStringTable(code);
        QCOMPARE(table.size(), qsizetype(35));
        for (const StringEntry &entry : entries)
            QCOMPARE(lookupText(table, entry.key.toString()), entry.text.toString());
    }

    void keysAreDottedLowerCamelCase() {
        static const QRegularExpression shape(
            QStringLiteral("^(app|step|feature|ui|progress|log)(\\.[a-z][A-Za-z]*)+$"));
        for (const StringEntry &entry : installerStringEntries(u"en"))
            QVERIFY2(shape.match(entry.key).hasMatch(), qPrintable(entry.key.toString()));
    }

    void formatTextsHaveTheirPlaceholders() {
        const StringTable &en = installerStringTable(u"en");
        QCOMPARE(placeholders(en.value("progress.download")), QStringList({"%.1f", "%.1f", "%d", "%%"}));
        QCOMPARE(placeholders(en.value("progress.verify")), QStringList({"%d", "%d"}));
        QCOMPARE(placeholders(en.value("log.error")), QStringList({"%@", "%@"}));
        QCOMPARE(placeholders(en.value("ui.portInUse")), QStringList({"%@"}));
        // The French text starts with a number yet keeps the order.
        QVERIFY(installerStringTable(u"fr").value("progress.download").startsWith(u"%.1f Mo"));
    }

    void unknownCodesGetEnglish() {
        for (const char16_t *code : {u"", u"EN", u"zh-Hant", u"zh", u"de-DE"})
            QCOMPARE(installerStringEntries(code).data(), installerStringEntries(u"en").data());
    }
};

int runInstallerStringsTests(int argc, char **argv) {
    InstallerStringsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_installerstrings.moc"
