#include "appiconprovider.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>

namespace vistrel {

namespace {
QImage sourceImage(const QString &iconPath, const QSize &size) {
    if (!iconPath.isEmpty() && QFileInfo(iconPath).isFile()) {
        QImage image(iconPath);
        if (!image.isNull())
            return image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    const QIcon icon = QGuiApplication::windowIcon();
    return icon.isNull() ? QImage() : icon.pixmap(size).toImage();
}
} // namespace

AppIconProvider::AppIconProvider(QString iconPath, qreal cornerRadiusShare)
    : QQuickImageProvider(QQuickImageProvider::Image)
    , m_iconPath(std::move(iconPath))
    , m_cornerRadiusShare(cornerRadiusShare) {}

bool AppIconProvider::hasIcon(const QString &iconPath) {
    return (!iconPath.isEmpty() && !QImage(iconPath).isNull()) || !QGuiApplication::windowIcon().isNull();
}

QImage AppIconProvider::requestImage(const QString &, QSize *size, const QSize &requestedSize) {
    const QSize wanted = requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize : QSize(48, 48);
    const QImage picture = sourceImage(m_iconPath, wanted);
    QImage rounded(wanted, QImage::Format_ARGB32_Premultiplied);
    rounded.fill(Qt::transparent);
    if (!picture.isNull()) {
        // Scaled to fit, centred, and painted through the rounded square with smooth edges.
        QPainter painter(&rounded);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const qreal radius = wanted.width() * m_cornerRadiusShare;
        QPainterPath shape;
        shape.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(wanted)), radius, radius);
        const QPointF origin((wanted.width() - picture.width()) / 2.0, (wanted.height() - picture.height()) / 2.0);
        QBrush brush(picture);
        brush.setTransform(QTransform::fromTranslate(origin.x(), origin.y()));
        painter.fillPath(shape, brush);
    }
    if (size)
        *size = rounded.size();
    return rounded;
}

} // namespace vistrel
