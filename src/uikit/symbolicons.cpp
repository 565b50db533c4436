#include "symbolicons.h"

#include "appiconprovider.h"

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QUrlQuery>

namespace vistrel {

namespace {

const QHash<QString, QString> &symbolTable() {
    static const QHash<QString, QString> table = {
        {QStringLiteral("app.badge"), QStringLiteral("application-x-executable-symbolic")},
        {QStringLiteral("app.dashed"), QStringLiteral("application-x-executable-symbolic")},
        {QStringLiteral("archivebox.fill"), QStringLiteral("package-x-generic-symbolic")},
        {QStringLiteral("arrow.clockwise"), QStringLiteral("view-refresh-symbolic")},
        {QStringLiteral("arrow.clockwise.circle.fill"), QStringLiteral("view-refresh-symbolic")},
        {QStringLiteral("arrow.down.circle"), QStringLiteral("folder-download-symbolic")},
        {QStringLiteral("arrow.down.circle.fill"), QStringLiteral("folder-download-symbolic")},
        {QStringLiteral("camera.badge.ellipsis"), QStringLiteral("camera-web-symbolic")},
        {QStringLiteral("camera.fill"), QStringLiteral("camera-web-symbolic")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("emblem-ok-symbolic")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("edit-copy-symbolic")},
        {QStringLiteral("doc.text"), QStringLiteral("text-x-generic-symbolic")},
        {QStringLiteral("ellipsis.circle"), QStringLiteral("view-more-horizontal-symbolic")},
        {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("dialog-warning-symbolic")},
        {QStringLiteral("folder.badge.minus"), QStringLiteral("folder-symbolic")},
        {QStringLiteral("gear"), QStringLiteral("emblem-system-symbolic")},
        {QStringLiteral("gearshape"), QStringLiteral("emblem-system-symbolic")},
        {QStringLiteral("globe"), QStringLiteral("preferences-desktop-locale-symbolic")},
        {QStringLiteral("info.circle"), QStringLiteral("dialog-information-symbolic")},
        {QStringLiteral("mic.badge.plus"), QStringLiteral("audio-input-microphone-symbolic")},
        {QStringLiteral("mic.fill"), QStringLiteral("audio-input-microphone-symbolic")},
        {QStringLiteral("network"), QStringLiteral("network-server-symbolic")},
        {QStringLiteral("play.circle.fill"), QStringLiteral("media-playback-start-symbolic")},
        {QStringLiteral("safari"), QStringLiteral("web-browser-symbolic")},
        {QStringLiteral("safari.fill"), QStringLiteral("web-browser-symbolic")},
        {QStringLiteral("stop.circle"), QStringLiteral("media-playback-stop-symbolic")},
        {QStringLiteral("stop.circle.fill"), QStringLiteral("media-playback-stop-symbolic")},
        {QStringLiteral("text.badge.xmark"), QStringLiteral("edit-clear-all-symbolic")},
        {QStringLiteral("trash"), QStringLiteral("user-trash-symbolic")},
        {QStringLiteral("trash.circle.fill"), QStringLiteral("user-trash-symbolic")},
        {QStringLiteral("video.circle.fill"), QStringLiteral("camera-video-symbolic")},
        {QStringLiteral("xmark.circle.fill"), QStringLiteral("dialog-error-symbolic")},
    };
    return table;
}

} // namespace

QString themeIconForSymbol(const QString &symbol) {
    return symbolTable().value(symbol);
}

QStringList knownSymbols() {
    QStringList symbols = symbolTable().keys();
    symbols.sort();
    return symbols;
}

SymbolImageProvider::SymbolImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Pixmap) {}

QPixmap SymbolImageProvider::requestPixmap(const QString &id, QSize *size, const QSize &requestedSize) {
    const qsizetype query = id.indexOf(u'?');
    const QString symbol = query < 0 ? id : id.left(query);
    const QColor color(query < 0 ? QString() : QUrlQuery(id.mid(query + 1)).queryItemValue(QStringLiteral("color")));
    const QSize wanted = requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize : QSize(32, 32);

    QPixmap pixmap = QIcon::fromTheme(themeIconForSymbol(symbol)).pixmap(wanted);
    if (pixmap.isNull()) {
        // Unknown symbols draw nothing rather than a broken picture.
        pixmap = QPixmap(wanted);
        pixmap.fill(Qt::transparent);
    } else if (color.isValid()) {
        QPainter painter(&pixmap);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), color);
    }
    if (size)
        *size = pixmap.size();
    return pixmap;
}

void installUiKit(QQmlEngine &engine, const QString &iconPath, qreal iconCornerRadiusShare) {
    // Some platform plugins (offscreen, minimal) leave out the system's icon folders.
    QStringList searchPaths = QIcon::themeSearchPaths();
    for (const QString &dir : QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                                        QStandardPaths::LocateDirectory)) {
        if (!searchPaths.contains(dir))
            searchPaths.append(dir);
    }
    QIcon::setThemeSearchPaths(searchPaths);
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == u"hicolor")
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    engine.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
    engine.addImageProvider(QStringLiteral("appicon"), new AppIconProvider(iconPath, iconCornerRadiusShare));
}

} // namespace vistrel
