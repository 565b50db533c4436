#include "windowrig.h"

#include <QQmlProperty>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Vistrel_InstallerPlugin)

namespace vistrel::test {

namespace {
void collect(QQuickItem *item, const QString &name, QList<QQuickItem *> &found) {
    if (item->objectName() == name)
        found.append(item);
    for (QQuickItem *child : item->childItems())
        collect(child, name, found);
}
} // namespace

WindowRig::WindowRig(const QString &home, Timing timing, InstallerAppInfo info) {
    platform.home = home.isEmpty() ? homeDir.path() : home;
    localization = std::make_unique<LocalizationManager>(platform);
    service = InstallationService::create(platform, timing);
    if (info.version.isEmpty())
        info.version = QStringLiteral("1.0.0");
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

QList<QQuickItem *> WindowRig::findAll(const QString &objectName) const {
    QList<QQuickItem *> found;
    if (window)
        collect(window->contentItem(), objectName, found);
    return found;
}

QQuickItem *WindowRig::find(const QString &objectName) const {
    const QList<QQuickItem *> found = findAll(objectName);
    return found.isEmpty() ? nullptr : found.constFirst();
}

bool WindowRig::shows(const QString &objectName) const {
    QQuickItem *item = find(objectName);
    if (!item || !item->isVisible())
        return false;
    for (QQuickItem *i = item; i; i = i->parentItem())
        if (i->opacity() <= 0.0)
            return false;
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
    QQuickItem *menu = find(QStringLiteral("languageMenu"));
    if (!menu)
        return false;
    click(menu);
    const QString optionName = QStringLiteral("languageOption_") + code;
    if (!QTest::qWaitFor([&] { return shows(optionName); }, 3000))
        return false;
    // Let the pop-up finish opening before the click lands.
    QTest::qWait(300);
    click(find(optionName));
    return QTest::qWaitFor([&] { return !shows(optionName); }, 3000);
}

QImage WindowRig::grab() const {
    return window->grabWindow();
}

} // namespace vistrel::test
