// The uninstaller's vocabulary (steps, confirmation rows), its fixed paths and initial state, and
// how a view reads them.
#include "launcher/localization/launcherstrings.h"
#include "launcher/uninstall/uninstallservice.h"

#include "fakeplatform.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

using namespace vistrel;

class UninstallModelTest : public QObject {
    Q_OBJECT

private slots:
    // The step vocabulary, checked against the launcher's string tables: every composed key must
    // exist in every language, and the English texts must be the ones the window shows.
    void steps_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caseName");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("description");
        QTest::newRow("stopService") << 0 << "stopService"
                                     << "stop.circle"
                                     << "Stopping Service"
                                     << "Stopping the Vistrel service...";
        QTest::newRow("removeLaunchAgent") << 1 << "removeLaunchAgent"
                                           << "trash"
                                           << "Removing Launch Agent"
                                           << "Removing the launch agent configuration...";
        QTest::newRow("removeApplicationFiles") << 2 << "removeApplicationFiles"
                                                << "folder.badge.minus"
                                                << "Removing Application Files"
                                                << "Removing Vistrel files from Application Support...";
        QTest::newRow("removeLauncherApp") << 3 << "removeLauncherApp"
                                           << "app.dashed"
                                           << "Removing Launcher App"
                                           << "Removing the launcher app...";
        QTest::newRow("cleanupLogs") << 4 << "cleanupLogs"
                                     << "text.badge.xmark"
                                     << "Cleaning Up Logs"
                                     << "Cleaning up log files...";
        QTest::newRow("complete") << 5 << "complete"
                                  << "checkmark.circle.fill"
                                  << "Uninstall Complete"
                                  << "Vistrel has been completely removed from your system.";
    }

    void steps() {
        QFETCH(int, index);
        QFETCH(QString, caseName);
        QFETCH(QString, symbol);
        QFETCH(QString, title);
        QFETCH(QString, description);
        const QList<UninstallStep> all = UninstallStep::allCases();
        QCOMPARE(all.size(), 6);
        const UninstallStep step = all.at(index);
        QCOMPARE(step.index(), index);
        QCOMPARE(step.caseName(), caseName);
        QCOMPARE(step.symbol(), symbol);
        QCOMPARE(step.isComplete(), caseName == u"complete");
        // The enumerator carries the same spelling as the vocabulary.
        QCOMPARE(QString::fromLatin1(QMetaEnum::fromType<UninstallStep::Case>().valueToKey(index)), caseName);

        const StringTable &english = launcherStringTable(u"en");
        QCOMPARE(english.value(step.titleKey()), title);
        QCOMPARE(english.value(step.descriptionKey()), description);
        for (const QString &code : launcherLanguageCodes()) {
            const StringTable &table = launcherStringTable(code);
            QVERIFY2(table.contains(step.titleKey()), qPrintable(code));
            QVERIFY2(table.contains(step.descriptionKey()), qPrintable(code));
        }
    }

    void stepsAreDistinctValues() {
        const QList<UninstallStep> all = UninstallStep::allCases();
        const QSet<UninstallStep> set(all.begin(), all.end());
        QCOMPARE(set.size(), 6);
        QVERIFY(set.contains(UninstallStep::cleanupLogs));
        QVERIFY(UninstallStep(UninstallStep::complete) == all.last());
        QVERIFY(!(all[0] == all[1]));
    }

    void confirmationList() {
        const QList<UninstallItem> items = UninstallService::confirmationItems();
        const QList<QPair<UninstallItem, QString>> expected{
            {{QStringLiteral("stop.circle"), QStringLiteral("uninstall.item.stopService")},
             QStringLiteral("Stop the running service")},
            {{QStringLiteral("trash"), QStringLiteral("uninstall.item.removeLaunchAgent")},
             QStringLiteral("Remove launch agent configuration")},
            {{QStringLiteral("folder.badge.minus"), QStringLiteral("uninstall.item.removeFiles")},
             QStringLiteral("Delete application files")},
            {{QStringLiteral("app.dashed"), QStringLiteral("uninstall.item.removeLauncher")},
             QStringLiteral("Remove launcher app")},
            {{QStringLiteral("text.badge.xmark"), QStringLiteral("uninstall.item.cleanupLogs")},
             QStringLiteral("Clean up log files")},
        };
        QCOMPARE(items.size(), expected.size());
        for (qsizetype i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i], expected[i].first);
            QCOMPARE(launcherStringTable(u"en").value(items[i].textKey()), expected[i].second);
            for (const QString &code : launcherLanguageCodes())
                QVERIFY2(launcherStringTable(code).contains(items[i].textKey()), qPrintable(code));
            // The rows share the symbols of the first five steps.
            QCOMPARE(items[i].symbol(), UninstallStep::allCases()[i].symbol());
        }
    }

    void pathsAndInitialState() {
        test::FakePlatform platform;
        platform.home = QStringLiteral("/Users/ana");
        const auto service = UninstallService::create(platform);
        QCOMPARE(service->tarvikInstallPath(), QStringLiteral("/Users/ana/Library/Application Support/Vistrel"));
        QCOMPARE(service->tarvikPlistPath(), QStringLiteral("/Users/ana/Library/LaunchAgents/com.qelvo.vistrel.plist"));
        QCOMPARE(service->launcherAppPath(), QStringLiteral("/Users/ana/Applications/Vistrel.app"));
        QCOMPARE(service->logPaths(), QStringList({QStringLiteral("/Users/ana/Library/Logs/vistrel.log"),
                                                   QStringLiteral("/Users/ana/Library/Logs/vistrel.error.log")}));
        QCOMPARE(service->currentStep(), UninstallStep(UninstallStep::stopService));
        QVERIFY(!service->isUninstalling());
        QCOMPARE(service->progress(), 0.0);
        QVERIFY(service->log().isEmpty());
        QVERIFY(!service->hasError());
        QVERIFY(!service->isRunning());
    }

    // A view reaches everything through the meta-object: the step's gadget properties, the
    // confirmation rows, the total, and the change signals it binds to.
    void readableFromQml() {
        test::FakePlatform platform;
        platform.home = QStringLiteral("/Users/ana");
        const auto service = UninstallService::create(platform);
        QQmlEngine engine;
        engine.rootContext()->setContextProperty(QStringLiteral("service"), service.get());
        QQmlExpression expression(engine.rootContext(), nullptr,
                                  QStringLiteral("[service.currentStep.caseName, service.currentStep.titleKey,"
                                                 " service.currentStep.descriptionKey, service.currentStep.symbol,"
                                                 " service.currentStep.isComplete, service.stepCount,"
                                                 " service.confirmationItems.length,"
                                                 " service.confirmationItems[2].symbol,"
                                                 " service.confirmationItems[2].textKey,"
                                                 " service.isUninstalling, service.progress, service.log.length,"
                                                 " service.hasError, service.error].join('|')"));
        const QVariant value = expression.evaluate();
        QVERIFY2(!expression.hasError(), qPrintable(expression.error().toString()));
        QCOMPARE(value.toString(), QStringLiteral("stopService|uninstall.step.stopService.title|"
                                                  "uninstall.step.stopService.description|stop.circle|false|6|5|"
                                                  "folder.badge.minus|uninstall.item.removeFiles|false|0|0|false|"));
        QCOMPARE(QQmlEngine::objectOwnership(service.get()), QQmlEngine::CppOwnership);

        const QMetaObject *meta = service->metaObject();
        for (const char *name : {"currentStep", "isUninstalling", "progress", "log", "error", "hasError"}) {
            const QMetaProperty property = meta->property(meta->indexOfProperty(name));
            QVERIFY2(property.hasNotifySignal(), name);
        }
        QVERIFY(meta->indexOfMethod("startUninstall()") >= 0);
    }
};

QTEST_GUILESS_MAIN(UninstallModelTest)
#include "tst_uninstallmodel.moc"
