#pragma once

#include <QQuickImageProvider>
#include <QString>
#include <QStringList>

class QQmlEngine;

namespace vistrel {

// The models name their pictures by system-symbol names ("stop.circle", "trash", ...). This is
// the one table that turns them into freedesktop theme icons.
QString themeIconForSymbol(const QString &symbol);
QStringList knownSymbols();

// Serves "image://symbol/<symbol name>" and "image://symbol/<symbol name>?color=<#rrggbb>": the
// symbol's theme icon at the requested size, tinted in the given colour (symbolic icons are
// monochrome shapes, so the tint keeps their shape and only changes the ink).
class SymbolImageProvider : public QQuickImageProvider {
public:
    SymbolImageProvider();
    QPixmap requestPixmap(const QString &id, QSize *size, const QSize &requestedSize) override;
};

// Chooses the icon theme when the desktop set none, registers the symbol pictures and the
// program's own icon (iconPath, corner radius as a share of the side) with the engine.
void installUiKit(QQmlEngine &engine, const QString &iconPath, qreal iconCornerRadiusShare);

} // namespace vistrel
