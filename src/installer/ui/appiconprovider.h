#pragma once

#include <QQuickImageProvider>
#include <QString>

namespace vistrel {

// Serves "image://appicon/" : the installer's own picture clipped to the header's rounded square
// (corner radius a quarter of the side). The picture is the bundle's AppIcon image, else the
// application's window icon; with neither it serves an empty image and the header draws its
// symbol instead.
class AppIconProvider : public QQuickImageProvider {
public:
    explicit AppIconProvider(QString iconPath);
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    // Whether there is a picture to serve at all.
    static bool hasIcon(const QString &iconPath);

private:
    QString m_iconPath;
};

} // namespace vistrel
