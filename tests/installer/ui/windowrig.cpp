#include "windowrig.h"

#include "testenv.h"

#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Vistrel_InstallerPlugin)

namespace vistrel::test {

namespace {
QQuickItem *findIn(QQuickItem *item, const QString &name) {
    if (!item || item->objectName() == name)
        return item;
    for (QQuickItem *child : item->childItems()) {
        if (QQuickItem *found = findIn(child, name))
            return found;
    }
    return nullptr;
}
} // namespace

WindowRig::WindowRig(const QString &home, InstallerAppInfo info) {
    platform.home = home.isEmpty() ? homeDir.path() : home;
    localization = std::make_unique<LocalizationManager>(platform);
    service = InstallationService::create(platform, Timing{}.scaled(10));
    engine = std::make_unique<QQmlApplicationEngine>();
    window = loadInstallerWindow(*engine, *localization, *service, info);
    if (window && !QTest::qWaitForWindowExposed(window))
        window = nullptr;
}

WindowRig::~WindowRig() {
    // The window goes before the models it shows; the service is deleted on the next turn.
    engine.reset();
    service.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void WindowRig::prepareRuns(const QString &origin) {
    platform.launchctl = launchctlTool();
    platform.defaults.insert(QStringLiteral("downloadServiceOrigin"), origin);
    service->setInstallerBundlePath(installerBundle());
    service->setSelectedPort(QString::number(freePort()));
}

QQuickItem *WindowRig::find(const QString &objectName) const {
    return window ? findIn(window->contentItem(), objectName) : nullptr;
}

bool WindowRig::shows(const QString &objectName) const {
    QQuickItem *item = find(objectName);
    if (!item || !item->isVisible())
        return false;
    for (QQuickItem *i = item; i; i = i->parentItem()) {
        if (i->opacity() <= 0.0)
            return false;
    }
    return true;
}

QString WindowRig::text(const QString &objectName) const {
    QQuickItem *item = find(objectName);
    return item ? item->property("text").toString() : QString();
}

void WindowRig::click(QQuickItem *item) const {
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}

void WindowRig::type(const QString &text) const {
    for (const QChar c : text) {
        const Qt::Key key =
            c.isLetterOrNumber() && c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, window, key, QString(c), Qt::NoModifier);
    }
}

bool WindowRig::chooseLanguage(const QString &code) const {
    click(QStringLiteral("languageMenu"));
    const QString optionName = QStringLiteral("languageOption_") + code;
    if (!QTest::qWaitFor([&] { return shows(optionName); }, 3000))
        return false;
    QTest::qWait(300); // the pop-up finishes opening before the click lands
    click(optionName);
    return QTest::qWaitFor([&] { return !shows(optionName); }, 3000);
}

} // namespace vistrel::test
