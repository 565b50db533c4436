// The installer's language choice, its lookup and the switch of the views' texts.
#include "installer/localization/localizationmanager.h"

#include "fakeplatform.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace vistrel;
using vistrel::test::FakePlatform;

const QString storedKey = QStringLiteral("selectedLanguage");

class InstallerLocalizationTest : public QObject {
    Q_OBJECT

private slots:
    void detectsFromPreferredLanguages_data() {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first known decides") << QStringList{"nl-NL", "fr-CA", "en-US"} << "fr";
        QTest::newRow("traditional chinese") << QStringList{"zh-Hant-TW"} << "zh-Hans";
        QTest::newRow("case matters") << QStringList{"DE-de", "ja-JP"} << "ja";
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

    void everyWriteIsStoredAnnouncedAndRetranslatesTheViews() {
        FakePlatform platform;
        platform.languages = {QStringLiteral("fr-FR")};
        LocalizationManager ui(platform);
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtQml\nQtObject { property string text: qsTrId(\"progress.download\") }", {});
        ui.useForViews(engine);
        const std::unique_ptr<QObject> view(component.create());
        QCOMPARE(view->property("text").toString(), QStringLiteral("%.1f Mo sur %.1f Mo téléchargés (%d%%)"));
        QSignalSpy changed(&ui, &LocalizationManager::currentLanguageChanged);
        QString seenByObserver;
        connect(&ui, &LocalizationManager::currentLanguageChanged, this,
                [&] { seenByObserver = ui.localizedString(QStringLiteral("ui.installButton")); });
        QVERIFY(ui.setProperty("currentLanguage", QStringLiteral("es")));
        QCOMPARE(seenByObserver, QStringLiteral("Instalar Vistrel")); // the new table, when told
        QCOMPARE(view->property("text").toString(), QStringLiteral("Descargado %.1f MB de %.1f MB (%d%%)"));
        platform.defaults.clear();
        ui.setCurrentLanguage(QStringLiteral("es")); // the same value is written again too
        QCOMPARE(changed.count(), 2);
        QCOMPARE(platform.defaults.value(storedKey).toString(), QStringLiteral("es"));

        // The engine's short-lived instances see the choice, whatever the system says, share the
        // tables and leave the views alone.
        platform.languages = {QStringLiteral("ja")};
        LocalizationManager engineSide(platform);
        QCOMPARE(engineSide.localizedString(QStringLiteral("ui.copyButton")), QStringLiteral("Copiar"));
        QCOMPARE(&engineSide.strings(), &ui.strings());
        engineSide.setCurrentLanguage(QStringLiteral("de"));
        QCOMPARE(view->property("text").toString(), QStringLiteral("Descargado %.1f MB de %.1f MB (%d%%)"));
        ui.setCurrentLanguage(QStringLiteral("DE")); // no texts of its own: English
        QCOMPARE(view->property("text").toString(), QStringLiteral("Downloaded %.1f MB of %.1f MB (%d%%)"));
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
    }
};

QTEST_GUILESS_MAIN(InstallerLocalizationTest)
#include "tst_installerlocalization.moc"
