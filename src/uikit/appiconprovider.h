#pragma once

#include <QQuickImageProvider>
#include <QString>

namespace vistrel {

// Serves "image://appicon/": the program's own picture, scaled to fit and clipped to the header's
// rounded square (corner radius the given share of the side). The picture is the bundle's AppIcon
// image, else the application's window icon; with neither it serves an empty image and the
// header draws its symbol instead.
class AppIconProvider : public QQuickImageProvider {
public:
    AppIconProvider(QString iconPath, qreal cornerRadiusShare);
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    // Whether there is a picture to serve at all.
    static bool hasIcon(const QString &iconPath);

private:
    QString m_iconPath;
    qreal m_cornerRadiusShare;
};

} // namespace vistrel
