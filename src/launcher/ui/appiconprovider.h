#pragma once

#include <QQuickImageProvider>
#include <QString>

namespace vistrel {

// Serves "image://appicon/": the bundle's icon picture at the requested size, clipped to a
// rounded square whose corner radius is 24/128 of the side (the header's 128-point frame has 24).
class AppIconProvider : public QQuickImageProvider {
public:
    explicit AppIconProvider(QString iconPath);
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    static QImage roundedIcon(const QImage &picture, int side);

private:
    QString m_iconPath;
};

} // namespace vistrel
