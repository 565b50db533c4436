// The launcher's language choice and its lookup in the texts compiled from translations/.
#include "launcher/localization/launcherlocalizationmanager.h"
#include "launcher/localization/launcherstrings.h"

#include "common/diagnostics.h"
#include "common/paths.h"
#include "fakeplatform.h"
#include "testenv.h"

#include <QTemporaryDir>
#include <QTest>

using namespace vistrel;
using vistrel::test::FakePlatform;

class LauncherLocalizationTest : public QObject {
    Q_OBJECT

private slots:
    void languageFile_data() {
        QTest::addColumn<QByteArray>("content"); // "<none>": no file
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("line"); // "*" at the end: the system's reason follows
        QTest::newRow("de and newline") << QByteArray("de\n") << "de"
                                        << "Read language from lang.txt: de -> de";
        QTest::newRow("RU between blanks, CRLF") << QByteArray("\t RU  \r\n") << "ru"
                                                 << "Read language from lang.txt: RU -> ru";
        QTest::newRow("zh-CN") << QByteArray("zh-CN") << "zh-Hans"
                               << "Read language from lang.txt: zh-CN -> zh-Hans";
        QTest::newRow("zh-tw") << QByteArray("zh-tw\n") << "zh-Hant"
                               << "Read language from lang.txt: zh-tw -> zh-Hant";
        QTest::newRow("launcher's own code") << QByteArray("zh-Hans") << "en"
                                             << "Read language from lang.txt: zh-Hans -> en";
        QTest::newRow("empty") << QByteArray(" \n\t ") << "en"
                               << "Read language from lang.txt:  -> en";
        QTest::newRow("two lines") << QByteArray("ja\nen\n") << "en"
                                   << "Read language from lang.txt: jaen -> en";
        QTest::newRow("not UTF-8") << QByteArray("d\xff\xfe\x00", 4) << "fr"
                                   << "Could not read lang.txt file: The file “lang.txt” couldn’t be read because it "
                                      "isn’t UTF-8 text.";
        QTest::newRow("missing") << QByteArray("<none>") << "fr"
                                 << "Could not read lang.txt file: The file “lang.txt” couldn’t be opened: *";
    }

    void languageFile() {
        QFETCH(QByteArray, content);
        QFETCH(QString, language);
        QFETCH(QString, line);
        QTemporaryDir home;
        const QString file = paths::languageFile(home.path());
        if (content != "<none>")
            QVERIFY(test::writeFile(file, content));
        // The system's languages decide only when the file cannot be read.
        FakePlatform platform;
        platform.home = home.path();
        platform.languages = {QStringLiteral("nl-NL"), QStringLiteral("fr-CA")};
        QStringList printed;
        DiagnosticCapture capture([&](const QString &text) { printed.append(text); });
        const LauncherLocalizationManager manager(platform);
        QCOMPARE(manager.currentLanguage(), language);
        QCOMPARE(&manager.strings(), &launcherStringTable(language));
        QCOMPARE(printed.size(), 1);
        if (line.endsWith(u'*'))
            QVERIFY2(printed[0].startsWith(line.chopped(1)) && printed[0].size() > line.size(), qPrintable(printed[0]));
        else
            QCOMPARE(printed[0], line);
    }

    void sampleTexts_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("argument");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *language, const char *key, const QVariant &argument, const char *text) {
            QTest::addRow("%s %s", language, key)
                << QString::fromUtf8(language) << QString::fromUtf8(key) << argument << QString::fromUtf8(text);
        };
        const QVariant none;
        row("de", "status.unknown", none, "status.unknown");            // a missing key is its own text
        row("ja", "general.timeAgo.hours", 2, "general.timeAgo.hours"); // and its own format
        row("zh-Hant", "action.start", none, "Start Vistrel");          // a code without texts: English
        row("DE", "status.running", none, "Running");
    }

    void sampleTexts() {
        QFETCH(QString, language);
        QFETCH(QString, key);
        QFETCH(QVariant, argument);
        QFETCH(QString, text);
        FakePlatform platform;
        platform.home = QStringLiteral("/nonexistent");
        DiagnosticCapture quiet([](const QString &) {});
        LauncherLocalizationManager manager(platform);
        manager.setCurrentLanguage(language);
        if (!argument.isValid())
            QCOMPARE(manager.localizedString(key), text);
        else
            QCOMPARE(manager.formatWithInteger(key, argument.toLongLong()), text);
    }
};

QTEST_GUILESS_MAIN(LauncherLocalizationTest)
#include "tst_launcherlocalization.moc"
