#include "launcherrig.h"

#include "quickitems.h"

#include "common/diagnostics.h"
#include "common/paths.h"
#include "launcher/ui/launcherui.h"
#include "servicerig.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Vistrel_LauncherPlugin)

namespace vistrel::test {

LauncherRig::LauncherRig(QByteArray languageFile, LauncherAppInfo appInfo)
    : m_languageFile(std::move(languageFile))
    , m_appInfo(std::move(appInfo)) {
    platform.home = home();
    platform.launchctl = QStringLiteral("/bin/false");
    QDir().mkpath(home());
    writeAgentPlist(home());
    writeFile(paths::portFile(home()), QByteArray::number(m_port.port()));
}

LauncherRig::~LauncherRig() {
    // The views go before the models they observe.
    m_engine.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    controller.reset();
    uninstaller.reset();
    manager.reset();
}

bool LauncherRig::load() {
    if (!m_languageFile.isEmpty() && !writeFile(paths::languageFile(home()), m_languageFile))
        return false;
    {
        DiagnosticCapture quiet([](const QString &) {});
        localization = std::make_unique<LauncherLocalizationManager>(platform);
    }
    Timing timing = Timing{}.scaled(10);
    timing.probeTimeout = std::chrono::milliseconds(3000);
    timing.pollingInterval = timing.quickPollingInterval = std::chrono::hours(1);
    manager = std::make_unique<ServiceManager>(platform, *localization, timing);
    uninstaller = std::make_unique<UninstallerController>(platform, timing);
    uninstaller->setExitFunction([this](int status) { exitRequests.append(status); });
    controller = std::make_unique<LauncherController>(platform, *localization, *manager, *uninstaller, m_appInfo);
    m_engine = std::make_unique<QQmlApplicationEngine>();
    m_window = loadLauncherWindow(*m_engine, *controller);
    return m_window && QTest::qWaitForWindowExposed(m_window) &&
           QTest::qWaitFor([this] { return manager->statusName() != u"checking"; }, 10000);
}

bool LauncherRig::openSheet() {
    return click(QStringLiteral("uninstallButton")) && QTest::qWaitFor([this] { return sheet() != nullptr; }) &&
           QTest::qWaitForWindowExposed(sheet());
}

QQuickWindow *LauncherRig::sheet() const {
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (window->objectName() == u"uninstallerWindow" && window->isVisible())
            return qobject_cast<QQuickWindow *>(window);
    }
    return nullptr;
}

QQuickItem *LauncherRig::item(const QString &objectName) const {
    QQuickItem *found = m_window ? findItem(m_window->contentItem(), objectName) : nullptr;
    QQuickWindow *sheetWindow = found ? nullptr : sheet();
    return sheetWindow ? findItem(sheetWindow->contentItem(), objectName) : found;
}

bool LauncherRig::isShown(const QString &objectName) const {
    return test::isShown(item(objectName));
}

QStringList LauncherRig::shownOf(const QStringList &objectNames) const {
    QStringList shown;
    for (const QString &name : objectNames) {
        if (isShown(name))
            shown.append(name);
    }
    return shown;
}

bool LauncherRig::click(const QString &objectName) {
    QQuickItem *found = item(objectName);
    if (!isShown(objectName))
        return false;
    // Scroll the nearest scroll area so the item is in view, as a user would.
    for (QQuickItem *it = found->parentItem(); it; it = it->parentItem()) {
        if (!it->inherits("QQuickFlickable"))
            continue;
        auto *content = it->property("contentItem").value<QQuickItem *>();
        const QRectF rect = found->mapRectToItem(content, QRectF(0, 0, found->width(), found->height()));
        const qreal contentY = it->property("contentY").toReal();
        if (rect.top() < contentY)
            it->setProperty("contentY", rect.top());
        else if (rect.bottom() > contentY + it->height())
            it->setProperty("contentY", rect.bottom() - it->height());
        break;
    }
    if (!QRect(QPoint(0, 0), found->window()->size())
             .contains(found->mapToScene(QPointF(found->width() / 2, found->height() / 2)).toPoint()))
        return false;
    clickItem(found);
    return true;
}

QString LauncherRig::text(const QString &objectName) const {
    QQuickItem *found = item(objectName);
    return found ? found->property("text").toString() : QString();
}

RecordingLaunchctl::RecordingLaunchctl() {
    const QByteArray folder = QFile::encodeName(m_folder.path());
    // The launcher's reading of the job's account changes nothing and is not recorded.
    writeScript(path(), "[ \"$1\" = print ] && exit 1\necho \"$*\" >> '" + folder + "/calls'\nwhile [ -e '" + folder +
                            "/hold' ]; do sleep 0.02; done\nif [ -e '" + folder +
                            "/fail' ]; then echo 'Boot-out failed: 3: No such process'; exit 3; fi\n");
}

RecordingLaunchctl::~RecordingLaunchctl() {
    hold(false);
}

QString RecordingLaunchctl::path() const {
    return m_folder.path() + QStringLiteral("/launchctl");
}

QStringList RecordingLaunchctl::calls() const {
    return QString::fromUtf8(readFile(m_folder.path() + QStringLiteral("/calls"))).split(u'\n', Qt::SkipEmptyParts);
}

void RecordingLaunchctl::hold(bool on) {
    const QString path = m_folder.path() + QStringLiteral("/hold");
    on ? void(writeFile(path, "hold")) : void(QFile::remove(path));
}

void RecordingLaunchctl::fail() {
    writeFile(m_folder.path() + QStringLiteral("/fail"), "fail");
}

Pictures launcherPictures(const QString &folder) {
    return Pictures(QStringLiteral(VISTREL_SCREENSHOT_DIR) + u'/' + folder,
                    LauncherLocalizationManager::stringTable(QStringLiteral("en")));
}

void addLanguageRows() {
    QTest::addColumn<QByteArray>("languageFile");
    QTest::addColumn<QString>("folder");
    for (const char *code : {"en", "de", "ja", "zh-cn", "ru"})
        QTest::newRow(code) << QByteArray(code) << (code == QByteArray("zh-cn") ? u"zh-Hans"_qs : QString(code));
}

} // namespace vistrel::test
