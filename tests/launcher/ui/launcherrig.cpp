#include "launcherrig.h"

#include "common/diagnostics.h"
#include "common/paths.h"
#include "launcher/ui/launcherui.h"
#include "testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QQuickItem>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Vistrel_LauncherPlugin)

namespace vistrel::test {

Timing LauncherRig::quietTiming() {
    Timing timing = Timing{}.scaled(10);
    timing.probeTimeout = std::chrono::milliseconds(3000);
    timing.pollingInterval = std::chrono::hours(1);
    timing.quickPollingInterval = std::chrono::hours(1);
    return timing;
}

LauncherRig::LauncherRig()
    : LauncherRig(Options{}) {}

LauncherRig::LauncherRig(Options options)
    : m_options(std::move(options)) {
    platform.home = home();
    platform.launchctl = QStringLiteral("/bin/false");
    QDir().mkpath(home());
}

LauncherRig::~LauncherRig() {
    closeWindow();
}

bool LauncherRig::load() {
    if (!m_root.isValid() || !QFileInfo(home()).isDir())
        return false;
    if (!m_options.languageFile.isEmpty() && !writeFile(paths::languageFile(home()), m_options.languageFile))
        return false;
    {
        DiagnosticCapture quiet([](const QString &) {});
        m_localization = std::make_unique<LauncherLocalizationManager>(platform);
    }
    m_serviceManager = std::make_unique<ServiceManager>(platform, *m_localization, m_options.timing);
    m_uninstaller = std::make_unique<UninstallerController>(platform, m_options.timing);
    m_uninstaller->setExitFunction([this](int status) { exitRequests.append(status); });
    m_controller =
        std::make_unique<LauncherController>(*m_localization, *m_serviceManager, *m_uninstaller, m_options.appInfo);
    m_engine = std::make_unique<QQmlApplicationEngine>();
    m_window = loadLauncherWindow(*m_engine, *m_controller);
    if (!m_window || !QTest::qWaitForWindowExposed(m_window))
        return false;
    // The first full check ends with a state other than checking.
    return QTest::qWaitFor([this] { return m_serviceManager->statusName() != u"checking"; }, 10000);
}

void LauncherRig::closeWindow() {
    // The views go before the models they observe.
    m_engine.reset();
    m_window = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QQuickWindow *LauncherRig::sheet() const {
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (window->objectName() == u"uninstallerWindow" && window->isVisible())
            return qobject_cast<QQuickWindow *>(window);
    }
    return nullptr;
}

QQuickItem *findItem(QQuickItem *root, const QString &objectName) {
    if (!root)
        return nullptr;
    if (root->objectName() == objectName)
        return root;
    for (QQuickItem *child : root->childItems()) {
        if (QQuickItem *found = findItem(child, objectName))
            return found;
    }
    return nullptr;
}

QQuickItem *LauncherRig::item(const QString &objectName) const {
    if (m_window) {
        if (QQuickItem *found = findItem(m_window->contentItem(), objectName))
            return found;
    }
    if (QQuickWindow *sheetWindow = sheet())
        return findItem(sheetWindow->contentItem(), objectName);
    return nullptr;
}

bool LauncherRig::isShown(const QString &objectName) const {
    QQuickItem *found = item(objectName);
    if (!found || !found->window() || !found->window()->isVisible())
        return false;
    for (QQuickItem *it = found; it; it = it->parentItem()) {
        if (!it->isVisible() || it->opacity() <= 0)
            return false;
    }
    return true;
}

QStringList LauncherRig::shownOf(const QStringList &objectNames) const {
    QStringList shown;
    for (const QString &name : objectNames) {
        if (isShown(name))
            shown.append(name);
    }
    return shown;
}

namespace {

// Scrolls the nearest scroll area around the item so that the item is in view, as a user would.
void scrollIntoView(QQuickItem *item) {
    for (QQuickItem *it = item->parentItem(); it; it = it->parentItem()) {
        if (!it->inherits("QQuickFlickable"))
            continue;
        auto *content = it->property("contentItem").value<QQuickItem *>();
        if (!content)
            return;
        const QRectF rect = item->mapRectToItem(content, QRectF(0, 0, item->width(), item->height()));
        const qreal contentY = it->property("contentY").toReal();
        if (rect.top() < contentY)
            it->setProperty("contentY", rect.top());
        else if (rect.bottom() > contentY + it->height())
            it->setProperty("contentY", rect.bottom() - it->height());
        return;
    }
}

} // namespace

bool LauncherRig::click(const QString &objectName) {
    QQuickItem *found = item(objectName);
    if (!found || !isShown(objectName))
        return false;
    scrollIntoView(found);
    const QPoint centre = found->mapToScene(QPointF(found->width() / 2, found->height() / 2)).toPoint();
    if (!QRect(QPoint(0, 0), found->window()->size()).contains(centre))
        return false;
    QTest::mouseClick(found->window(), Qt::LeftButton, Qt::NoModifier, centre);
    return true;
}

QString LauncherRig::text(const QString &objectName) const {
    QQuickItem *found = item(objectName);
    return found ? found->property("text").toString() : QString();
}

namespace {

void collectTexts(QQuickItem *item, QStringList &texts) {
    if (!item->isVisible() || item->opacity() <= 0)
        return;
    if (item->inherits("QQuickText")) {
        const QString text = item->property("text").toString();
        if (!text.isEmpty())
            texts.append(text);
    }
    for (QQuickItem *child : item->childItems())
        collectTexts(child, texts);
}

} // namespace

QStringList LauncherRig::visibleTexts(QQuickWindow *window) {
    QStringList texts;
    if (window)
        collectTexts(window->contentItem(), texts);
    return texts;
}

} // namespace vistrel::test
