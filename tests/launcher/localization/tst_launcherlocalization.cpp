// The launcher's language choice, its lookup and the nine compiled-in tables.
#include "launcher/localization/launcherlocalizationmanager.h"
#include "launcher/localization/launcherstrings.h"

#include "common/diagnostics.h"
#include "common/paths.h"
#include "fakeplatform.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace vistrel;
using vistrel::test::FakePlatform;

namespace {

struct Made {
    QString language;
    QStringList lines;
};

// Builds a manager over a home with the given lang.txt (or none) and collects what it printed.
Made makeManager(const QString &home, const QStringList &preferred,
                 std::unique_ptr<LauncherLocalizationManager> *out = nullptr) {
    FakePlatform platform;
    platform.home = home;
    platform.languages = preferred;
    Made made;
    DiagnosticCapture capture([&](const QString &line) { made.lines.append(line); });
    auto manager = std::make_unique<LauncherLocalizationManager>(platform);
    made.language = manager->currentLanguage();
    if (out)
        *out = std::move(manager);
    return made;
}

int count(const QString &text, const QString &what) {
    return int(text.count(what));
}

} // namespace

class LauncherLocalizationTest : public QObject {
    Q_OBJECT

private slots:
    void languageFromFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("runningText");

        QTest::newRow("de and newline") << QByteArray("de\n") << "de"
                                        << "Read language from lang.txt: de -> de"
                                        << "Läuft";
        QTest::newRow("FR between blanks") << QByteArray("  FR  ") << "fr"
                                           << "Read language from lang.txt: FR -> fr"
                                           << "En cours";
        QTest::newRow("tab RU CRLF") << QByteArray("\tRU\r\n") << "ru"
                                     << "Read language from lang.txt: RU -> ru"
                                     << "Работает";
        QTest::newRow("zh-CN") << QByteArray("zh-CN") << "zh-Hans"
                               << "Read language from lang.txt: zh-CN -> zh-Hans"
                               << "运行中";
        QTest::newRow("zh-tw has no table") << QByteArray("zh-tw\n") << "zh-Hant"
                                            << "Read language from lang.txt: zh-tw -> zh-Hant"
                                            << "Running";
        QTest::newRow("launcher's own code") << QByteArray("zh-Hans") << "en"
                                             << "Read language from lang.txt: zh-Hans -> en"
                                             << "Running";
        QTest::newRow("region") << QByteArray("pt-BR") << "en"
                                << "Read language from lang.txt: pt-BR -> en"
                                << "Running";
        QTest::newRow("empty") << QByteArray("") << "en"
                               << "Read language from lang.txt:  -> en"
                               << "Running";
        QTest::newRow("only white space") << QByteArray(" \n\t ") << "en"
                                          << "Read language from lang.txt:  -> en"
                                          << "Running";
        QTest::newRow("inner blank kept") << QByteArray("d e") << "en"
                                          << "Read language from lang.txt: d e -> en"
                                          << "Running";
        QTest::newRow("two lines") << QByteArray("ja\nen\n") << "en"
                                   << "Read language from lang.txt: ja\nen -> en"
                                   << "Running";
        QTest::newRow("ja") << QByteArray("ja") << "ja"
                            << "Read language from lang.txt: ja -> ja"
                            << "実行中";
        QTest::newRow("Es") << QByteArray("Es") << "es"
                            << "Read language from lang.txt: Es -> es"
                            << "Ejecutándose";
        QTest::newRow("it") << QByteArray("it") << "it"
                            << "Read language from lang.txt: it -> it"
                            << "In Esecuzione";
        QTest::newRow("PT") << QByteArray("PT") << "pt"
                            << "Read language from lang.txt: PT -> pt"
                            << "Executando";
        QTest::newRow("en") << QByteArray("en") << "en"
                            << "Read language from lang.txt: en -> en"
                            << "Running";
    }

    void languageFromFile() {
        QFETCH(QByteArray, content);
        QFETCH(QString, language);
        QFETCH(QString, line);
        QFETCH(QString, runningText);

        QTemporaryDir home;
        QVERIFY(test::writeFile(paths::languageFile(home.path()), content));
        std::unique_ptr<LauncherLocalizationManager> manager;
        // The system language would say otherwise: the file wins.
        const Made made = makeManager(home.path(), {QStringLiteral("de-DE")}, &manager);
        QCOMPARE(made.language, language);
        QCOMPARE(made.lines, QStringList{line});
        QCOMPARE(manager->localizedString(QStringLiteral("status.running")), runningText);
    }

    void unreadableFileFallsBackToSystemLanguage_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("not UTF-8") << "binary";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("no permission") << "unreadable";
    }

    void unreadableFileFallsBackToSystemLanguage() {
        QFETCH(QString, kind);
        QTemporaryDir home;
        const QString file = paths::languageFile(home.path());
        if (kind == u"binary") {
            QVERIFY(test::writeFile(file, QByteArray("d\xff\xfe\x00", 4)));
        } else if (kind == u"folder") {
            QVERIFY(QDir().mkpath(file));
        } else if (kind == u"unreadable") {
            if (::geteuid() == 0)
                QSKIP("root reads any file");
            QVERIFY(test::writeFile(file, "de"));
            QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
        }
        const Made made = makeManager(home.path(), {QStringLiteral("nl-NL"), QStringLiteral("fr-CA")});
        QCOMPARE(made.language, QStringLiteral("fr"));
        QCOMPARE(made.lines.size(), 1);
        QVERIFY2(made.lines[0].startsWith(QStringLiteral("Could not read lang.txt file: ")), qPrintable(made.lines[0]));
        // The reason follows the colon.
        QVERIFY(made.lines[0].size() > QStringLiteral("Could not read lang.txt file: ").size());
    }

    void systemLanguage_data() {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("language");
        QTest::newRow("fr-CA before en-US") << QStringList{"fr-CA", "en-US"} << "fr";
        QTest::newRow("nl-NL only") << QStringList{"nl-NL"} << "en";
        QTest::newRow("empty list") << QStringList{} << "en";
        QTest::newRow("first match decides") << QStringList{"nl-NL", "zh-Hant-TW", "de"} << "zh-Hans";
        QTest::newRow("plain prefix en-IN") << QStringList{"en-IN", "fr"} << "en";
        QTest::newRow("case-sensitive") << QStringList{"DE-de", "ru-RU"} << "ru";
        QTest::newRow("underscore form") << QStringList{"pt_BR"} << "pt";
        QTest::newRow("ja-JP") << QStringList{"ja-JP"} << "ja";
        QTest::newRow("it-CH") << QStringList{"it-CH"} << "it";
        QTest::newRow("es-419") << QStringList{"es-419"} << "es";
        QTest::newRow("C locale") << QStringList{"C"} << "en";
    }

    void systemLanguage() {
        QFETCH(QStringList, preferred);
        QFETCH(QString, language);
        QTemporaryDir home; // no lang.txt in it
        QCOMPARE(makeManager(home.path(), preferred).language, language);
    }

    void tablesHaveOneShape() {
        const QStringList codes = launcherLanguageCodes();
        QCOMPARE(codes, (QStringList{"en", "es", "fr", "de", "it", "pt", "ja", "zh-Hans", "ru"}));
        const auto english = launcherStringEntries(u"en");
        QCOMPARE(english.size(), std::size_t(65));

        QStringList englishKeys;
        QSet<QString> productKeys;
        for (const StringEntry &e : english) {
            englishKeys.append(e.key.toString());
            if (e.text.contains(u"Vistrel"))
                productKeys.insert(e.key.toString());
        }
        QCOMPARE(QSet<QString>(englishKeys.begin(), englishKeys.end()).size(), 65);
        QCOMPARE(productKeys.size(), 16);
        QVERIFY(englishKeys.indexOf(QStringLiteral("status.stopping")) >= 0);

        const QRegularExpression keyShape(QStringLiteral("^(app|status|action|permissions|service|uninstall|general)"
                                                         "(\\.[a-z][A-Za-z]*)+$"));
        for (const QString &code : codes) {
            const auto entries = launcherStringEntries(code);
            QCOMPARE(entries.size(), english.size());
            for (std::size_t i = 0; i < entries.size(); ++i) {
                const QString key = entries[i].key.toString();
                const QString text = entries[i].text.toString();
                const QString englishText = english[i].text.toString();
                const QByteArray where = (code + u' ' + key).toUtf8();
                QVERIFY2(key == englishKeys[qsizetype(i)], where.constData());
                QVERIFY2(keyShape.match(key).hasMatch(), where.constData());
                QVERIFY2(!text.isEmpty() && text != key, where.constData());
                // Placeholders survive translation, each exactly as often as in English.
                QVERIFY2(count(text, QStringLiteral("%d")) == count(englishText, QStringLiteral("%d")),
                         where.constData());
                QVERIFY2(count(text, QStringLiteral("%@")) == count(englishText, QStringLiteral("%@")),
                         where.constData());
                QVERIFY2(count(text, QStringLiteral("%")) <= 1, where.constData());
                // The product name is never translated.
                QVERIFY2(text.contains(u"Vistrel") == productKeys.contains(key), where.constData());
            }
            const StringTable &table = launcherStringTable(code);
            QCOMPARE(table.size(), 65);
            QCOMPARE(table.value(QStringLiteral("app.title")), QStringLiteral("Vistrel"));
            QVERIFY(table.value(QStringLiteral("uninstall.success")).startsWith(QStringLiteral("✅ ")));
            // The same dictionary on every request: built once.
            QCOMPARE(&launcherStringTable(code), &table);
        }
    }

    void tableSelectionIsExact_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("expectedTableOf");
        QTest::newRow("zh-Hant") << "zh-Hant"
                                 << "en";
        QTest::newRow("zh-hans") << "zh-hans"
                                 << "en";
        QTest::newRow("DE") << "DE"
                            << "en";
        QTest::newRow("empty") << ""
                               << "en";
        QTest::newRow("zh-Hans") << "zh-Hans"
                                 << "zh-Hans";
        QTest::newRow("ru") << "ru"
                            << "ru";
    }

    void tableSelectionIsExact() {
        QFETCH(QString, code);
        QFETCH(QString, expectedTableOf);
        QCOMPARE(&LauncherLocalizationManager::stringTable(code), &launcherStringTable(expectedTableOf));
        QVERIFY(&launcherStringTable(u"en") != &launcherStringTable(u"ru"));
    }

    void sampleTexts_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("argument");
        QTest::addColumn<QString>("text");
        const QVariant none;
        QTest::newRow("en port") << "en"
                                 << "status.runningOnPort" << QVariant(8090) << "Running on port 8090";
        QTest::newRow("de port") << "de"
                                 << "status.runningOnPort" << QVariant(8090) << "Läuft auf Port 8090";
        QTest::newRow("fr minutes") << "fr"
                                    << "general.timeAgo.minutes" << QVariant(3) << "3m il y a";
        QTest::newRow("es seconds") << "es"
                                    << "general.timeAgo.seconds" << QVariant(42) << "hace 42s";
        QTest::newRow("zh minutes") << "zh-Hans"
                                    << "general.timeAgo.minutes" << QVariant(7) << "7分钟前";
        QTest::newRow("ru seconds") << "ru"
                                    << "general.timeAgo.seconds" << QVariant(12) << "12с назад";
        QTest::newRow("ja last check") << "ja"
                                       << "service.lastCheck" << QVariant(QStringLiteral("5s ago"))
                                       << "最終確認: 5s ago";
        QTest::newRow("pt last check") << "pt"
                                       << "service.lastCheck" << QVariant(QStringLiteral("1m"))
                                       << "Última verificação: 1m";
        QTest::newRow("es error") << "es"
                                  << "status.error" << none << "Error";
        QTest::newRow("fr starting") << "fr"
                                     << "service.starting" << none << "Démarrage d'Vistrel...";
        QTest::newRow("it description")
            << "it"
            << "permissions.description" << none
            << "Vistrel necessita delle autorizzazioni per fotocamera e microfono per funzionare correttamente.";
        QTest::newRow("de warning") << "de"
                                    << "uninstall.confirmation.warning" << none
                                    << "Diese Aktion kann nicht rückgängig gemacht werden. Sie müssen Vistrel neu "
                                       "installieren, wenn Sie es wieder verwenden möchten.";
        QTest::newRow("ja confirmation") << "ja"
                                         << "uninstall.confirmation.title" << none
                                         << "Vistrel をアンインストールしてもよろしいですか？";
        QTest::newRow("ru success") << "ru"
                                    << "uninstall.success" << none << "✅ Vistrel был успешно удален";
        QTest::newRow("en stopping") << "en"
                                     << "status.stopping" << none << "Stopping...";
        QTest::newRow("de stopping") << "de"
                                     << "status.stopping" << none << "Stoppt...";
        QTest::newRow("zh-Hant is English") << "zh-Hant"
                                            << "action.start" << none << "Start Vistrel";
        QTest::newRow("missing key") << "de"
                                     << "status.unknown" << none << "status.unknown";
        QTest::newRow("missing key as format") << "ja"
                                               << "general.timeAgo.hours" << QVariant(2) << "general.timeAgo.hours";
    }

    void sampleTexts() {
        QFETCH(QString, language);
        QFETCH(QString, key);
        QFETCH(QVariant, argument);
        QFETCH(QString, text);
        QTemporaryDir home;
        std::unique_ptr<LauncherLocalizationManager> manager;
        makeManager(home.path(), {QStringLiteral("en")}, &manager);
        manager->setCurrentLanguage(language);
        QCOMPARE(manager->currentLanguage(), language);
        QString actual;
        if (!argument.isValid())
            actual = manager->localizedString(key);
        else if (argument.typeId() == QMetaType::QString)
            actual = manager->formatWithText(key, argument.toString());
        else
            actual = manager->formatWithInteger(key, argument.toLongLong());
        QCOMPARE(actual, text);
    }

    void unknownKeyIsReturnedInEveryLanguage() {
        QTemporaryDir home;
        std::unique_ptr<LauncherLocalizationManager> manager;
        makeManager(home.path(), {}, &manager);
        for (const QString &code : launcherLanguageCodes() + QStringList{QStringLiteral("zh-Hant")}) {
            manager->setCurrentLanguage(code);
            QCOMPARE(manager->localizedString(QStringLiteral("no.such.key")), QStringLiteral("no.such.key"));
            QCOMPARE(manager->localizedString(QString()), QString());
        }
    }

    void uninstallStepKeysAreComposed_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("description");
        QTest::newRow("de cleanupLogs") << "de"
                                        << "cleanupLogs"
                                        << "Logs werden bereinigt"
                                        << "Log-Dateien werden bereinigt...";
        QTest::newRow("en complete") << "en"
                                     << "complete"
                                     << "Uninstall Complete"
                                     << "Vistrel has been completely removed from your system.";
        QTest::newRow("ja removeLaunchAgent") << "ja"
                                              << "removeLaunchAgent"
                                              << "起動エージェント削除中"
                                              << "起動エージェント設定を削除中...";
    }

    void uninstallStepKeysAreComposed() {
        QFETCH(QString, language);
        QFETCH(QString, step);
        QFETCH(QString, title);
        QFETCH(QString, description);
        QTemporaryDir home;
        std::unique_ptr<LauncherLocalizationManager> manager;
        makeManager(home.path(), {}, &manager);
        manager->setCurrentLanguage(language);
        QCOMPARE(manager->uninstallStepTitle(step), title);
        QCOMPARE(manager->uninstallStepDescription(step), description);
    }

    void languageChangeIsAnnounced() {
        QTemporaryDir home;
        std::unique_ptr<LauncherLocalizationManager> manager;
        makeManager(home.path(), {QStringLiteral("ru")}, &manager);
        QCOMPARE(manager->currentLanguage(), QStringLiteral("ru"));
        int changes = 0;
        connect(manager.get(), &LauncherLocalizationManager::currentLanguageChanged, this, [&] { ++changes; });
        manager->setCurrentLanguage(QStringLiteral("ru"));
        QCOMPARE(changes, 0);
        manager->setCurrentLanguage(QStringLiteral("fr"));
        QCOMPARE(changes, 1);
        QCOMPARE(manager->localizedString(QStringLiteral("action.stop")), QStringLiteral("Arrêter"));
    }
};

QTEST_GUILESS_MAIN(LauncherLocalizationTest)
#include "tst_launcherlocalization.moc"
