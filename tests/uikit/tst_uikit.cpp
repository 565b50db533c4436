// What both programs' views share: every symbol comes out as a real, visible picture in the
// requested colour, and the log model turns republished lists into edits.
#include "uikit/loglinemodel.h"
#include "uikit/symbolicons.h"

#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QQmlEngine>
#include <QSignalSpy>
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

class UiKitTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QQmlEngine engine;
        installUiKit(engine, QString(), 0.25); // chooses the theme
        QVERIFY(!QIcon::themeName().isEmpty());
    }

    void everySymbolHasAThemeIcon() {
        for (const QString &symbol : knownSymbols()) {
            const QString name = themeIconForSymbol(symbol);
            QVERIFY2(QIcon::hasThemeIcon(name), qPrintable(symbol + QStringLiteral(" -> ") + name));
        }
    }

    // A tinted picture keeps its shape; an unknown symbol draws nothing.
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
        QCOMPARE(coverage(provider.requestPixmap(QStringLiteral("no.such"), &size, QSize(16, 16)).toImage()), 0.0);
    }

    // Both log views read a model's whole list through this: appended lines must arrive as
    // insertions and a rewritten last line as a change, or the view would jump.
    void logModelTurnsListsIntoEdits() {
        LogLineModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy count(&model, &LogLineModel::countChanged);
        auto row = [&](int i) { return model.data(model.index(i), LogLineModel::LineRole).toString(); };

        model.setLines({"a"});
        QCOMPARE(inserted.size(), 1);
        model.setLines({"a", "b", "c"});
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(inserted.last().at(1).toInt(), 1);
        QCOMPARE(inserted.last().at(2).toInt(), 2);
        QCOMPARE(count.size(), 2);

        // The download progress: the last line rewritten in place.
        model.setLines({"a", "b", "10%"});
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.last().at(0).toModelIndex().row(), 2);
        QCOMPARE(count.size(), 2);
        QCOMPARE(row(2), QStringLiteral("10%"));

        // Rewritten and then followed by a new line in one publication.
        model.setLines({"a", "b", "100%", "done"});
        QCOMPARE(changed.size(), 2);
        QCOMPARE(inserted.size(), 3);
        QCOMPARE(row(2), QStringLiteral("100%"));
        QCOMPARE(row(3), QStringLiteral("done"));

        // A line other than the last changed, or lines gone: start over.
        model.setLines({"x", "b", "100%", "done"});
        QCOMPARE(reset.size(), 1);
        model.setLines({});
        QCOMPARE(reset.size(), 2);
        QCOMPARE(model.rowCount(), 0);
        model.setLines({"Initial system check..."});
        QCOMPARE(inserted.size(), 4);
        QCOMPARE(model.lines(), QStringList{"Initial system check..."});
    }
};

QTEST_MAIN(UiKitTest)
#include "tst_uikit.moc"
