// Every symbol the views use must come out as a real, visible picture in the requested colour.
#include "uikit/symbolicons.h"

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QQmlEngine>
#include <QTest>

using namespace vistrel;

namespace {
// Share of pixels that are painted at all.
double coverage(const QImage &image) {
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0;
    return double(painted) / (image.width() * image.height());
}
} // namespace

class SymbolIconsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QQmlEngine engine;
        installSymbolIcons(engine); // chooses the theme
        QVERIFY(!QIcon::themeName().isEmpty());
    }

    void everySymbolHasAThemeIcon() {
        for (const QString &symbol : knownSymbols()) {
            const QString name = themeIconForSymbol(symbol);
            QVERIFY2(QIcon::hasThemeIcon(name), qPrintable(symbol + QStringLiteral(" -> ") + name));
        }
    }

    void tintedPictureKeepsItsShape() {
        SymbolImageProvider provider;
        QSize size;
        const QImage plain = provider.requestPixmap(QStringLiteral("trash"), &size, QSize(48, 48)).toImage();
        QCOMPARE(size, QSize(48, 48));
        const double painted = coverage(plain);
        QVERIFY2(painted > 0.05 && painted < 0.9, qPrintable(QString::number(painted)));

        const QImage red =
            provider.requestPixmap(QStringLiteral("trash?color=%23ff3b30"), &size, QSize(48, 48)).toImage();
        QCOMPARE(coverage(red), painted);
        for (int y = 0; y < red.height(); ++y)
            for (int x = 0; x < red.width(); ++x)
                if (qAlpha(red.pixel(x, y)) == 255)
                    QCOMPARE(QColor(red.pixel(x, y)).name(), QStringLiteral("#ff3b30"));
    }

    void unknownSymbolDrawsNothing() {
        SymbolImageProvider provider;
        QSize size;
        const QImage image = provider.requestPixmap(QStringLiteral("no.such.symbol"), &size, QSize(16, 16)).toImage();
        QCOMPARE(size, QSize(16, 16));
        QCOMPARE(coverage(image), 0.0);
    }
};

QTEST_MAIN(SymbolIconsTest)
#include "tst_symbolicons.moc"
