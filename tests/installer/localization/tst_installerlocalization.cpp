#include "installer/localization/installerstrings.h"
#include "installer/localization/localizationmanager.h"

#include "fakeplatform.h"

#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

using namespace vistrel;
using vistrel::test::FakePlatform;

namespace {

const QString storedKey = QStringLiteral("selectedLanguage");

QStringList placeholders(QStringView text) {
    static const QRegularExpression pattern(QStringLiteral("%(\\.1f|d|@|%)"));
    QStringList found;
    for (const QRegularExpressionMatch &match : pattern.globalMatch(text))
        found.append(match.captured(0));
    return found;
}

} // namespace

class InstallerLocalizationTest : public QObject {
    Q_OBJECT

private slots:
    void everyTableHasTheEnglishShape() {
        QCOMPARE(LocalizationManager::supportedLanguages(),
                 QStringList({"en", "es", "fr", "de", "it", "pt", "ja", "zh-Hans", "ru"}));
        const auto english = installerStringEntries(u"en");
        const StringTable &en = installerStringTable(u"en");
        QCOMPARE(placeholders(en.value("progress.download")), QStringList({"%.1f", "%.1f", "%d", "%%"}));
        QCOMPARE(placeholders(en.value("ui.portInUse")), QStringList({"%@"}));
        QSet<QString> natives;
        for (const QString &code : LocalizationManager::supportedLanguages()) {
            const auto entries = installerStringEntries(code);
            QCOMPARE(entries.size(), std::size_t(35));
            QVERIFY2(code == u"en" || entries.data() != english.data(), qPrintable(code)); // its own table
            QSet<QString> keys;
            for (std::size_t i = 0; i < entries.size(); ++i) {
                const QString key = entries[i].key.toString();
                QCOMPARE(key, english[i].key.toString());
                QVERIFY2(!keys.contains(key) && !entries[i].text.isEmpty(), qPrintable(code + u' ' + key));
                keys.insert(key);
                // Format texts keep the English placeholders in kind and order.
                QCOMPARE(placeholders(entries[i].text), placeholders(english[i].text));
                QCOMPARE(lookupText(installerStringTable(code), key), entries[i].text.toString());
            }
            natives.insert(LocalizationManager::displayInfo(code).nativeName);
        }
        QCOMPARE(natives.size(), 9); // every language has its own menu row
        // The French text starts with a number yet keeps the order.
        QVERIFY(installerStringTable(u"fr").value("progress.download").startsWith(u"%.1f Mo"));
    }

    void detectsFromPreferredLanguages_data() {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first known decides") << QStringList{"nl-NL", "fr-CA", "en-US"} << "fr";
        QTest::newRow("traditional chinese") << QStringList{"zh-Hant-TW"} << "zh-Hans";
        QTest::newRow("case matters") << QStringList{"DE-de", "ja-JP"} << "ja";
        QTest::newRow("unknown only") << QStringList{"nl"} << "en";
        QTest::newRow("empty list") << QStringList{} << "en";
    }
    void detectsFromPreferredLanguages() {
        QFETCH(QStringList, preferred);
        QFETCH(QString, expected);
        FakePlatform platform;
        platform.languages = preferred;
        LocalizationManager manager(platform);
        QCOMPARE(manager.currentLanguage(), expected);
        QCOMPARE(&manager.strings(), &LocalizationManager::stringTable(expected));
        // A guess is not a choice: nothing is stored until the user picks.
        QVERIFY(!platform.defaults.contains(storedKey));
    }

    void everyWriteIsStoredAndAnnounced() {
        FakePlatform platform;
        platform.languages = {QStringLiteral("fr-FR")};
        LocalizationManager ui(platform);
        QSignalSpy changed(&ui, &LocalizationManager::currentLanguageChanged);
        QString seenByObserver;
        connect(&ui, &LocalizationManager::currentLanguageChanged, this,
                [&] { seenByObserver = ui.localizedString(QStringLiteral("ui.installButton")); });
        QVERIFY(ui.setProperty("currentLanguage", QStringLiteral("es")));
        QCOMPARE(seenByObserver, QStringLiteral("Instalar Vistrel")); // the new table, when told
        platform.defaults.clear();
        ui.setCurrentLanguage(QStringLiteral("es")); // the same value is written again too
        QCOMPARE(changed.count(), 2);
        QCOMPARE(platform.defaults.value(storedKey).toString(), QStringLiteral("es"));

        // The engine's short-lived instances see the choice, whatever the system says, and share tables.
        platform.languages = {QStringLiteral("ja")};
        LocalizationManager engine(platform);
        QCOMPARE(engine.localizedString(QStringLiteral("ui.copyButton")), QStringLiteral("Copiar"));
        QCOMPARE(&engine.strings(), &ui.strings());
        QCOMPARE(&LocalizationManager::stringTable(QStringLiteral("DE")), &LocalizationManager::stringTable("en"));
    }

    void unknownStoredCodeIsKeptWithEnglishTexts() {
        FakePlatform platform;
        platform.languages = {QStringLiteral("fr")};
        platform.defaults.insert(storedKey, QStringLiteral("zh-Hant"));
        LocalizationManager manager(platform);
        QCOMPARE(manager.currentLanguage(), QStringLiteral("zh-Hant"));
        QCOMPARE(manager.localizedString(QStringLiteral("ui.installButton")), QStringLiteral("Install Vistrel"));
        QCOMPARE(manager.localizedString(QStringLiteral("no.such.key")), QStringLiteral("no.such.key"));
        QCOMPARE(manager.languageDisplayInfo(manager.currentLanguage()),
                 QVariantMap({{"englishName", "English"}, {"nativeName", "English"}, {"flag", "🇺🇸"}}));
        QCOMPARE(manager.languageDisplayInfo(QStringLiteral("zh-Hans")),
                 QVariantMap({{"englishName", "Chinese"}, {"nativeName", "中文简体"}, {"flag", "🇨🇳"}}));
        QCOMPARE(manager.languageDisplayInfo(QStringLiteral("pt")).value("nativeName").toString(),
                 QStringLiteral("Português"));
    }
};

QTEST_GUILESS_MAIN(InstallerLocalizationTest)
#include "tst_installerlocalization.moc"
