// The installer's window over the real models without an installation run: the header, the
// language menu, the welcome screen's options, the log model and what screen readers see.
#include "windowrig.h"

#include "common/diagnostics.h"

#include <QAccessible>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;

namespace {

// Which item shows which key on the welcome screen and in the header.
const QList<std::pair<QString, QString>> welcomeTexts = {
    {QStringLiteral("appTitle"), QStringLiteral("app.title")},
    {QStringLiteral("appSubtitle"), QStringLiteral("app.subtitle")},
    {QStringLiteral("featureServiceTitle"), QStringLiteral("feature.service.title")},
    {QStringLiteral("featureServiceDescription"), QStringLiteral("feature.service.description")},
    {QStringLiteral("featureLauncherTitle"), QStringLiteral("feature.launcher.title")},
    {QStringLiteral("featureLauncherDescription"), QStringLiteral("feature.launcher.description")},
    {QStringLiteral("featureAgentTitle"), QStringLiteral("feature.agent.title")},
    {QStringLiteral("featureAgentDescription"), QStringLiteral("feature.agent.description")},
    {QStringLiteral("portLabel"), QStringLiteral("ui.portLabel")},
    {QStringLiteral("betaSwitch"), QStringLiteral("ui.betaVersion")},
    {QStringLiteral("installDescription"), QStringLiteral("ui.installDescription")},
    {QStringLiteral("installButton"), QStringLiteral("ui.installButton")},
};

QString menuText(const QString &code) {
    const LanguageDisplayInfo info = LocalizationManager::displayInfo(code);
    return info.flag + u' ' + info.nativeName;
}

QString accessibleName(QQuickItem *item) {
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(item);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

// Share of the image's pixels (in a rectangle) that are mostly blue.
double blueShare(const QImage &image, const QRect &rect) {
    int blue = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            blue += c.blue() > 150 && c.red() < 120;
        }
    return double(blue) / (rect.width() * rect.height());
}

} // namespace

class InstallerViewsTest : public QObject {
    Q_OBJECT

private slots:
    void portFieldKeepsOnlyDigits_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("letters and signs") << "8a0-9!"
                                           << "809";
        QTest::newRow("plus sign") << "+8090"
                                   << "8090";
        QTest::newRow("spaces") << " 80 90 "
                                << "8090";
        QTest::newRow("other scripts' digits") << u"٨٠٩٠"_qs << "";
        QTest::newRow("no range check") << "65536"
                                        << "65536";
        QTest::newRow("only letters") << "port"
                                      << "";
    }

    void portFieldKeepsOnlyDigits() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        WindowRig rig;
        QVERIFY(rig.isLoaded());
        QQuickItem *field = rig.find(QStringLiteral("portField"));
        QVERIFY(field);
        QCOMPARE(field->property("text").toString(), QStringLiteral("8090"));

        // Typed: the field starts empty, showing its placeholder.
        rig.click(field);
        QTRY_VERIFY(field->hasActiveFocus());
        QTest::keyClick(rig.window, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(rig.window, Qt::Key_Backspace);
        QCOMPARE(rig.service->selectedPort(), QString());
        QCOMPARE(field->property("placeholderText").toString(), QStringLiteral("8090"));
        rig.type(typed);
        QCOMPARE(rig.service->selectedPort(), kept);
        QCOMPARE(field->property("text").toString(), kept);

        // Written into the model from elsewhere (a paste lands the same way).
        rig.service->setSelectedPort(QStringLiteral("1") + typed);
        QCOMPARE(rig.service->selectedPort(), QStringLiteral("1") + kept);
        QCOMPARE(field->property("text").toString(), QStringLiteral("1") + kept);
    }

    void betaSwitchWritesTheModel() {
        WindowRig rig;
        QVERIFY(rig.isLoaded());
        QQuickItem *toggle = rig.find(QStringLiteral("betaSwitch"));
        QVERIFY(toggle);
        rig.click(toggle);
        QCOMPARE(rig.service->useBetaVersion(), true);
        rig.click(toggle);
        QCOMPARE(rig.service->useBetaVersion(), false);
        rig.service->setUseBetaVersion(true);
        QCOMPARE(toggle->property("checked").toBool(), true);
    }

    void languageMenuListsTheNineInOrder() {
        WindowRig rig;
        QVERIFY(rig.isLoaded());
        rig.click(rig.find(QStringLiteral("languageMenu")));
        QTRY_VERIFY(rig.shows(QStringLiteral("languageOption_ru")));
        qreal previousY = -1;
        for (const QString &code : LocalizationManager::supportedLanguages()) {
            QQuickItem *option = rig.find(QStringLiteral("languageOption_") + code);
            QVERIFY2(option, qPrintable(code));
            QCOMPARE(option->property("text").toString(), menuText(code));
            const qreal y = option->mapToScene(QPointF()).y();
            QVERIFY2(y > previousY, qPrintable(code));
            // The whole entry lies inside the window.
            QVERIFY(y + option->height() <= rig.window->height());
            previousY = y;
        }
    }

    void languageChangeRedrawsEveryText_data() {
        QTest::addColumn<QString>("code");
        for (const QString &code : LocalizationManager::supportedLanguages())
            QTest::newRow(qPrintable(code)) << code;
    }

    void languageChangeRedrawsEveryText() {
        QFETCH(QString, code);
        QTemporaryDir home;
        WindowRig rig(home.path());
        QVERIFY(rig.isLoaded());
        // Start from another language so that each pick is a change.
        rig.localization->setCurrentLanguage(code == u"ru" ? QStringLiteral("en") : QStringLiteral("ru"));

        QStringList printed;
        DiagnosticCapture capture([&](const QString &line) { printed.append(line); });
        QVERIFY(rig.chooseLanguage(code));

        QCOMPARE(printed, QStringList{QStringLiteral("Language changed to: ") + code});
        QCOMPARE(rig.localization->currentLanguage(), code);
        QCOMPARE(rig.platform.defaults.value(QStringLiteral("selectedLanguage")).toString(), code);
        const StringTable &table = LocalizationManager::stringTable(code);
        for (const auto &[item, key] : welcomeTexts)
            QCOMPARE(rig.text(item), table.value(key));
        QCOMPARE(rig.find(QStringLiteral("languageMenu"))->property("displayText").toString(), menuText(code));
        QCOMPARE(rig.text(QStringLiteral("installerVersion")), QStringLiteral("Installer v1.0.0"));
    }

    void pickingTheSameLanguagePrintsNothing() {
        WindowRig rig;
        QVERIFY(rig.isLoaded());
        QStringList printed;
        DiagnosticCapture capture([&](const QString &line) { printed.append(line); });
        QVERIFY(rig.chooseLanguage(QStringLiteral("en")));
        QVERIFY(printed.isEmpty());
        QCOMPARE(rig.localization->currentLanguage(), QStringLiteral("en"));
    }

    void storedLanguageOutsideTheMenuSelectsNothing() {
        QTemporaryDir home;
        WindowRig rig(home.path());
        rig.localization->setCurrentLanguage(QStringLiteral("nl"));
        QQuickItem *menu = rig.find(QStringLiteral("languageMenu"));
        QCOMPARE(menu->property("currentIndex").toInt(), -1);
        QCOMPARE(menu->property("displayText").toString(), QString());
        QCOMPARE(rig.text(QStringLiteral("installButton")),
                 LocalizationManager::stringTable(QStringLiteral("en")).value(QStringLiteral("ui.installButton")));
        QVERIFY(rig.chooseLanguage(QStringLiteral("it")));
        QCOMPARE(menu->property("displayText").toString(), menuText(QStringLiteral("it")));
    }

    void headerShowsTheBundleIconAndVersion() {
        InstallerAppInfo info;
        info.iconPath = QStringLiteral(VISTREL_SOURCE_APP_ICON);
        info.version = QStringLiteral("2.3.4");
        WindowRig rig({}, Timing{}, info);
        QVERIFY(rig.isLoaded());
        QCOMPARE(rig.text(QStringLiteral("installerVersion")), QStringLiteral("Installer v2.3.4"));
        QVERIFY(rig.shows(QStringLiteral("appIcon")));
        QVERIFY(!rig.shows(QStringLiteral("appIconBadge")));

        // The picture is there and clipped to its rounded square.
        QQuickItem *icon = rig.find(QStringLiteral("appIcon"));
        QTRY_COMPARE(icon->property("status").toInt(), 1); // Image.Ready
        const QImage shot = rig.grab();
        const QRect box = icon->mapRectToScene(QRectF(0, 0, icon->width(), icon->height())).toRect();
        QVERIFY(blueShare(shot, box.adjusted(12, 12, -12, -12)) > 0.3);
        QCOMPARE(blueShare(shot, QRect(box.topLeft(), QSize(2, 2))), 0.0);
    }

    void headerFallsBackToTheSymbol() {
        InstallerAppInfo info;
        info.iconPath = QStringLiteral("/nonexistent/AppIcon.png");
        info.version = QStringLiteral("1.0.0");
        WindowRig rig({}, Timing{}, info);
        QVERIFY(rig.isLoaded());
        QVERIFY(!rig.shows(QStringLiteral("appIcon")));
        QVERIFY(rig.shows(QStringLiteral("appIconBadge")));
    }

    // The window keeps its layout whatever text size the desktop asks for.
    void desktopTextSizeLeavesTheLayout() {
        const QStringList names{
            QStringLiteral("appTitle"),     QStringLiteral("languageMenu"), QStringLiteral("featureAgentDescription"),
            QStringLiteral("portField"),    QStringLiteral("betaSwitch"),   QStringLiteral("installDescription"),
            QStringLiteral("installButton")};
        auto geometry = [&] {
            WindowRig rig;
            QList<QRectF> boxes;
            for (const QString &name : names) {
                QQuickItem *item = rig.find(name);
                boxes.append(item ? item->mapRectToScene(QRectF(0, 0, item->width(), item->height())) : QRectF());
            }
            return boxes;
        };
        const QList<QRectF> normal = geometry();
        const QFont desktopFont = QGuiApplication::font();
        QFont large = desktopFont;
        large.setPointSizeF(desktopFont.pointSizeF() * 2);
        QGuiApplication::setFont(large);
        const QList<QRectF> enlarged = geometry();
        QGuiApplication::setFont(desktopFont);
        QCOMPARE(enlarged, normal);
    }

    void versionDefaultsOutsideABundle() {
        // This test program does not live in a bundle, so nothing names a version.
        const InstallerAppInfo info = InstallerAppInfo::fromMainBundle();
        QCOMPARE(info.version, QStringLiteral("1.0.0"));
        QVERIFY(info.iconPath.isEmpty());
    }

    void screenReadersSeeEveryControl() {
        WindowRig rig;
        QVERIFY(rig.isLoaded());
        for (const QString &language : {QStringLiteral("en"), QStringLiteral("ja")}) {
            rig.localization->setCurrentLanguage(language);
            // Texts are read as shown; buttons by their visible text.
            for (const auto &[name, key] : welcomeTexts) {
                if (name == u"betaSwitch")
                    continue;
                QQuickItem *item = rig.find(name);
                QVERIFY2(item, qPrintable(name));
                QCOMPARE(accessibleName(item), rig.localization->localizedString(key));
            }
            // The options are found by names that do not change with the language.
            QCOMPARE(accessibleName(rig.find(QStringLiteral("portField"))), QStringLiteral("Port"));
            QCOMPARE(accessibleName(rig.find(QStringLiteral("betaSwitch"))), QStringLiteral("Beta version"));
            QCOMPARE(accessibleName(rig.find(QStringLiteral("languageMenu"))), QStringLiteral("Language"));
            QCOMPARE(QAccessible::queryAccessibleInterface(rig.find(QStringLiteral("installButton")))->role(),
                     QAccessible::Button);
            QCOMPARE(QAccessible::queryAccessibleInterface(rig.find(QStringLiteral("portField")))->role(),
                     QAccessible::EditableText);
        }
    }
};

QTEST_MAIN(InstallerViewsTest)
#include "tst_installerviews.moc"
