#include "appiconprovider.h"

#include <QPainter>
#include <QPainterPath>

namespace vistrel {

AppIconProvider::AppIconProvider(QString iconPath)
    : QQuickImageProvider(QQuickImageProvider::Image)
    , m_iconPath(std::move(iconPath)) {}

QImage AppIconProvider::roundedIcon(const QImage &picture, int side) {
    QImage result(side, side, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    if (picture.isNull())
        return result;
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal radius = side * 24.0 / 128.0;
    QPainterPath clip;
    clip.addRoundedRect(QRectF(0, 0, side, side), radius, radius);
    painter.setClipPath(clip);
    // Stretched to the square, as the header asks.
    painter.drawImage(QRectF(0, 0, side, side), picture);
    return result;
}

QImage AppIconProvider::requestImage(const QString &, QSize *size, const QSize &requestedSize) {
    const int side = requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize.width() : 128;
    const QImage image = roundedIcon(QImage(m_iconPath), side);
    if (size)
        *size = image.size();
    return image;
}

} // namespace vistrel
