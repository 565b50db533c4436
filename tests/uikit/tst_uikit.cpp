// What both programs' views share: every symbol has a picture in the theme, and the log model
// turns republished lists into edits.
#include "uikit/loglinemodel.h"
#include "uikit/symbolicons.h"

#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>

using namespace vistrel;

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
