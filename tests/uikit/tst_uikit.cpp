// What both programs' views share: every symbol has a picture in the theme.
#include "uikit/symbolicons.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlEngine>
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
};

QTEST_MAIN(UiKitTest)
#include "tst_uikit.moc"
