// The installer's window over the real models without an installation run: the header, the
// language menu with what screen readers see, and the welcome screen's options.
#include "windowrig.h"

#include "common/diagnostics.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;

namespace {

// Which item shows which key on the welcome screen and in the header.
// clang-format off
const QList<std::pair<QString, QString>> welcomeTexts = {
    {"appTitle", "app.title"}, {"appSubtitle", "app.subtitle"}, {"portLabel", "ui.portLabel"},
    {"featureServiceTitle", "feature.service.title"}, {"featureServiceDescription", "feature.service.description"},
    {"featureLauncherTitle", "feature.launcher.title"}, {"featureLauncherDescription", "feature.launcher.description"},
    {"featureAgentTitle", "feature.agent.title"}, {"featureAgentDescription", "feature.agent.description"},
    {"betaSwitch", "ui.betaVersion"}, {"installDescription", "ui.installDescription"},
    {"installButton", "ui.installButton"}};
// clang-format on

QString menuText(const QString &code) {
    const LanguageDisplayInfo info = LocalizationManager::displayInfo(code);
    return info.flag + u' ' + info.nativeName;
}

QString accessibleName(QQuickItem *item) {
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(item);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

} // namespace

class InstallerViewsTest : public QObject {
    Q_OBJECT

private slots:
    void portFieldKeepsOnlyDigits_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("letters and signs") << u"+8a0-9! 0"_qs << u"8090"_qs;
        QTest::newRow("other scripts' digits") << u"٨٠٩٠"_qs << QString();
        QTest::newRow("no range check") << u"65536"_qs << u"65536"_qs;
    }

    void portFieldKeepsOnlyDigits() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        WindowRig rig;
        QQuickItem *field = rig.find(u"portField"_qs);
        QVERIFY(field);
        QCOMPARE(field->property("text").toString(), u"8090"_qs);

        // Emptied, the field shows its placeholder; typed, it keeps the digits in order.
        rig.click(field);
        QTRY_VERIFY(field->hasActiveFocus());
        QTest::keyClick(rig.window, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(rig.window, Qt::Key_Backspace);
        QCOMPARE(rig.service->selectedPort(), QString());
        QCOMPARE(field->property("placeholderText").toString(), u"8090"_qs);
        rig.type(typed);
        QCOMPARE(rig.service->selectedPort(), kept);
        QCOMPARE(field->property("text").toString(), kept);

        // Written into the model from elsewhere (a paste lands the same way).
        rig.service->setSelectedPort(u"1"_qs + typed);
        QCOMPARE(rig.service->selectedPort(), u"1"_qs + kept);
    }

    void betaSwitchWritesTheModel() {
        WindowRig rig;
        QQuickItem *toggle = rig.find(u"betaSwitch"_qs);
        QVERIFY(toggle);
        rig.click(toggle);
        QCOMPARE(rig.service->useBetaVersion(), true);
        rig.click(toggle);
        QCOMPARE(rig.service->useBetaVersion(), false);
        rig.service->setUseBetaVersion(true);
        QCOMPARE(toggle->property("checked").toBool(), true);
    }

    void languageMenu() {
        QTemporaryDir home;
        WindowRig rig(home.path());
        QVERIFY(rig.window);
        // The nine in order, each wholly inside the window.
        rig.click(u"languageMenu"_qs);
        QTRY_VERIFY(rig.shows(u"languageOption_ru"_qs));
        qreal previousY = -1;
        for (const QString &code : LocalizationManager::supportedLanguages()) {
            QQuickItem *option = rig.find(u"languageOption_"_qs + code);
            QVERIFY2(option, qPrintable(code));
            QCOMPARE(option->property("text").toString(), menuText(code));
            const qreal y = option->mapToScene(QPointF()).y();
            QVERIFY2(y > previousY && y + option->height() <= rig.window->height(), qPrintable(code));
            previousY = y;
        }
        QTest::keyClick(rig.window, Qt::Key_Escape);
        QTRY_VERIFY(!rig.shows(u"languageOption_ru"_qs));

        // A pick redraws every text at once, is kept and printed; picking it again prints nothing.
        for (const QString &code : {u"de"_qs, u"ja"_qs, u"ja"_qs}) {
            QStringList printed;
            DiagnosticCapture capture([&](const QString &line) { printed.append(line); });
            const bool change = rig.localization->currentLanguage() != code;
            QVERIFY(rig.chooseLanguage(code));
            QCOMPARE(printed, change ? QStringList{u"Language changed to: "_qs + code} : QStringList());
            QCOMPARE(rig.platform.defaults.value(u"selectedLanguage"_qs).toString(), code);
            const StringTable &table = LocalizationManager::stringTable(code);
            // Screen readers read the texts as shown, buttons by their visible text.
            for (const auto &[item, key] : welcomeTexts) {
                QCOMPARE(rig.text(item), table.value(key));
                if (item != u"betaSwitch")
                    QCOMPARE(accessibleName(rig.find(item)), table.value(key));
            }
            QCOMPARE(rig.find(u"languageMenu"_qs)->property("displayText").toString(), menuText(code));
        }

        // The options are found by names that do not change with the language.
        QCOMPARE(accessibleName(rig.find(u"portField"_qs)), u"Port"_qs);
        QCOMPARE(accessibleName(rig.find(u"betaSwitch"_qs)), u"Beta version"_qs);
        QCOMPARE(accessibleName(rig.find(u"languageMenu"_qs)), u"Language"_qs);
        QCOMPARE(QAccessible::queryAccessibleInterface(rig.find(u"installButton"_qs))->role(), QAccessible::Button);
        QCOMPARE(QAccessible::queryAccessibleInterface(rig.find(u"portField"_qs))->role(), QAccessible::EditableText);

        // A stored language outside the menu selects nothing and reads in English.
        rig.localization->setCurrentLanguage(u"nl"_qs);
        QCOMPARE(rig.find(u"languageMenu"_qs)->property("currentIndex").toInt(), -1);
        QCOMPARE(rig.find(u"languageMenu"_qs)->property("displayText").toString(), QString());
        QCOMPARE(rig.text(u"installButton"_qs),
                 LocalizationManager::stringTable(u"en"_qs).value(u"ui.installButton"_qs));
    }

    void headerFallsBackToTheSymbol() {
        WindowRig rig({}, {u"/nonexistent/AppIcon.png"_qs, u"2.3.4"_qs});
        QVERIFY(rig.window);
        QCOMPARE(rig.text(u"installerVersion"_qs), u"Installer v2.3.4"_qs);
        QVERIFY(!rig.shows(u"appIcon"_qs));
        QVERIFY(rig.shows(u"appIconBadge"_qs));
        // This test program does not live in a bundle, so nothing names a version.
        QCOMPARE(InstallerAppInfo::fromMainBundle().version, u"1.0.0"_qs);
    }

    // The window keeps its layout whatever text size the desktop asks for.
    void desktopTextSizeLeavesTheLayout() {
        const auto geometry = [] {
            WindowRig rig;
            QList<QRectF> boxes;
            for (const char *name : {"appTitle", "languageMenu", "featureAgentDescription", "portField", "betaSwitch",
                                     "installDescription", "installButton"}) {
                QQuickItem *item = rig.find(QString::fromLatin1(name));
                boxes.append(item ? item->mapRectToScene(item->boundingRect()) : QRectF());
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
};

QTEST_MAIN(InstallerViewsTest)
#include "tst_installerviews.moc"
