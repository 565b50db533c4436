#include "installer/localization/localizationmanager.h"

#include "fakeplatform.h"

#include <QSignalSpy>
#include <QTest>

using namespace vistrel;
using vistrel::test::FakePlatform;

namespace {
const QString storedKey = QStringLiteral("selectedLanguage");
}

class LocalizationManagerTest : public QObject {
    Q_OBJECT

private slots:
    void detectsFromPreferredLanguages_data() {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first match decides") << QStringList{"fr-CA", "en-US"} << "fr";
        QTest::newRow("unknown only") << QStringList{"nl-NL"} << "en";
        QTest::newRow("traditional chinese") << QStringList{"zh-Hant-TW"} << "zh-Hans";
        QTest::newRow("empty list") << QStringList{} << "en";
        QTest::newRow("skips unknown") << QStringList{"nl", "fr"} << "fr";
        QTest::newRow("plain prefix") << QStringList{"en-IN"} << "en";
        QTest::newRow("brazil") << QStringList{"pt-BR", "de"} << "pt";
        QTest::newRow("case matters") << QStringList{"DE-de", "ja-JP"} << "ja";
        QTest::newRow("russian") << QStringList{"ru"} << "ru";
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

    void storedChoiceWinsOverSystem() {
        FakePlatform platform;
        platform.languages = {QStringLiteral("fr-FR")};
        {
            LocalizationManager ui(platform);
            ui.setCurrentLanguage(QStringLiteral("de"));
        }
        QCOMPARE(platform.defaults.value(storedKey).toString(), QStringLiteral("de"));
        // The engine's short-lived instances see the choice, whatever the system says.
        platform.languages = {QStringLiteral("ja")};
        LocalizationManager engine(platform);
        QCOMPARE(engine.currentLanguage(), QStringLiteral("de"));
        QCOMPARE(engine.localizedString(QStringLiteral("ui.copyButton")), QStringLiteral("Kopieren"));
    }

    void everyWriteRunsTheChangeSteps() {
        FakePlatform platform;
        platform.languages = {QStringLiteral("en")};
        LocalizationManager manager(platform);
        QSignalSpy changed(&manager, &LocalizationManager::currentLanguageChanged);
        QString textSeenByObserver;
        connect(&manager, &LocalizationManager::currentLanguageChanged, this,
                [&] { textSeenByObserver = manager.localizedString(QStringLiteral("ui.installButton")); });

        manager.setCurrentLanguage(QStringLiteral("es"));
        QCOMPARE(changed.count(), 1);
        // Observers read the new table when they hear of the change.
        QCOMPARE(textSeenByObserver, QStringLiteral("Instalar Vistrel"));

        platform.defaults.clear();
        manager.setCurrentLanguage(QStringLiteral("es"));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(platform.defaults.value(storedKey).toString(), QStringLiteral("es"));
    }

    void writesThroughTheProperty() {
        FakePlatform platform;
        LocalizationManager manager(platform);
        QVERIFY(manager.setProperty("currentLanguage", QStringLiteral("ru")));
        QCOMPARE(manager.localizedString(QStringLiteral("ui.copyButton")), QStringLiteral("Копировать"));
        QCOMPARE(platform.defaults.value(storedKey).toString(), QStringLiteral("ru"));
    }

    void unknownStoredCodeIsKeptWithEnglishTexts() {
        FakePlatform platform;
        platform.languages = {QStringLiteral("fr")};
        platform.defaults.insert(storedKey, QStringLiteral("nl"));
        LocalizationManager manager(platform);
        QCOMPARE(manager.currentLanguage(), QStringLiteral("nl"));
        QCOMPARE(manager.localizedString(QStringLiteral("app.title")), QStringLiteral("Vistrel Installer"));
        QCOMPARE(manager.localizedString(QStringLiteral("ui.installButton")), QStringLiteral("Install Vistrel"));
        QCOMPARE(manager.languageDisplayInfo(manager.currentLanguage()).value("nativeName").toString(),
                 QStringLiteral("English"));
    }

    void missingKeyComesBackUnchanged() {
        FakePlatform platform;
        LocalizationManager manager(platform);
        for (const QString &code : LocalizationManager::supportedLanguages()) {
            manager.setCurrentLanguage(code);
            QCOMPARE(manager.localizedString(QStringLiteral("no.such.key")), QStringLiteral("no.such.key"));
            QCOMPARE(manager.localizedString(QString()), QString());
        }
    }

    void displayInfo_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("englishName");
        QTest::addColumn<QString>("nativeName");
        QTest::addColumn<QString>("flag");
        QTest::newRow("en") << "en"
                            << "English"
                            << "English"
                            << "🇺🇸";
        QTest::newRow("pt") << "pt"
                            << "Portuguese"
                            << "Português"
                            << "🇵🇹";
        QTest::newRow("ja") << "ja"
                            << "Japanese"
                            << "日本語"
                            << "🇯🇵";
        QTest::newRow("zh-Hans") << "zh-Hans"
                                 << "Chinese"
                                 << "中文简体"
                                 << "🇨🇳";
        QTest::newRow("ru") << "ru"
                            << "Russian"
                            << "Русский"
                            << "🇷🇺";
        QTest::newRow("zh-Hant") << "zh-Hant"
                                 << "English"
                                 << "English"
                                 << "🇺🇸";
        QTest::newRow("empty") << ""
                               << "English"
                               << "English"
                               << "🇺🇸";
    }
    void displayInfo() {
        QFETCH(QString, code);
        QFETCH(QString, englishName);
        QFETCH(QString, nativeName);
        QFETCH(QString, flag);
        const LanguageDisplayInfo info = LocalizationManager::displayInfo(code);
        QCOMPARE(info.englishName, englishName);
        QCOMPARE(info.nativeName, nativeName);
        QCOMPARE(info.flag, flag);
    }

    void everySupportedLanguageHasItsOwnRow() {
        QStringList natives;
        for (const QString &code : LocalizationManager::supportedLanguages())
            natives.append(LocalizationManager::displayInfo(code).nativeName);
        natives.removeDuplicates();
        QCOMPARE(natives.size(), 9);
    }

    void tablesAreSharedAndBuiltOnce() {
        FakePlatform platform;
        platform.defaults.insert(storedKey, QStringLiteral("it"));
        LocalizationManager first(platform);
        LocalizationManager second(platform);
        QCOMPARE(&first.strings(), &second.strings());
        first.setCurrentLanguage(QStringLiteral("en"));
        first.setCurrentLanguage(QStringLiteral("it"));
        QCOMPARE(&first.strings(), &second.strings());
        // Every other code shares the English table.
        QCOMPARE(&LocalizationManager::stringTable(QStringLiteral("zh-Hant")),
                 &LocalizationManager::stringTable(QStringLiteral("en")));
        QCOMPARE(&LocalizationManager::stringTable(QStringLiteral("DE")),
                 &LocalizationManager::stringTable(QStringLiteral("en")));
    }
};

int runLocalizationManagerTests(int argc, char **argv) {
    LocalizationManagerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_localizationmanager.moc"
