#include "pictures.h"

#include "uikit/symbolicons.h"

#include <QDir>
#include <QQuickItem>
#include <QTest>

namespace vistrel::test {

namespace {

template<typename Visit>
void forEachShown(QQuickItem *item, Visit &&visit) {
    if (!item || !item->isVisible() || item->opacity() <= 0)
        return;
    visit(item);
    for (QQuickItem *child : item->childItems())
        forEachShown(child, visit);
}

QRectF sceneRect(QQuickItem *item) {
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

} // namespace

Pictures::Pictures(const QString &folder, const StringTable &keys)
    : folder(folder)
    , keys(keys) {
    QDir().mkpath(this->folder);
}

void Pictures::take(QQuickWindow *window, const QString &name, bool mayScroll) {
    QTest::qWait(350); // bindings, layouts, pictures and entrance animations settle
    if (!window->grabWindow().save(folder + u'/' + name + u".png"_qs))
        findings << name + u": not saved"_qs;
    const QRectF windowRect = QRectF(QPointF(0, 0), window->size()).adjusted(-0.5, -0.5, 0.5, 0.5);
    const auto found = [&](const QString &problem) { findings << name + u": "_qs + problem; };
    forEachShown(window->contentItem(), [&](QQuickItem *item) {
        const QString text = item->property("text").toString();
        if (item->inherits("QQuickAbstractButton") && item->width() + 0.5 < item->implicitWidth())
            found(QStringLiteral("squeezed button: ") + text);
        // A row whose items do not fit lays them out past its own end.
        if (item->inherits("QQuickRowLayout")) {
            for (QQuickItem *child : item->childItems()) {
                if (child->isVisible() && (child->x() < -0.5 || child->x() + child->width() > item->width() + 0.5))
                    found(QStringLiteral("overflowing row: ") + child->property("text").toString());
            }
        }
        if (!mayScroll && item->inherits("QQuickFlickable") && !item->inherits("QQuickListView") &&
            item->property("interactive").toBool())
            found(QStringLiteral("does not fit, scrolls: ") + item->objectName());
        if (item->inherits("QQuickImage")) {
            const QUrl source = item->property("source").toUrl();
            if (source.host() == u"symbol" && themeIconForSymbol(source.path().mid(1)).isEmpty())
                found(QStringLiteral("unknown symbol: ") + source.path());
            if (item->property("status").toInt() != 1) // Image.Ready
                found(QStringLiteral("picture not loaded: ") + source.toString() + u' ' + item->objectName());
        }
        if (!item->inherits("QQuickText") || text.isEmpty())
            return;
        for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
            if (keys.contains(word))
                found(QStringLiteral("raw key: ") + word);
        }
        if ((item->property("truncated").toBool() || item->property("contentWidth").toReal() > item->width() + 1) &&
            !cutOnPurpose.contains(item->objectName()))
            found(QStringLiteral("cut short: ") + text);
        // What lies in an area that scrolls can be scrolled to; elsewhere a clip is a cut.
        QQuickItem *clipper = nullptr;
        for (QQuickItem *it = item->parentItem(); it; it = it->parentItem()) {
            if (it->inherits("QQuickFlickable") && it->property("interactive").toBool())
                return;
            if (!clipper && it->clip())
                clipper = it;
        }
        const QRectF rect = sceneRect(item);
        if (!windowRect.contains(rect) ||
            (clipper && !sceneRect(clipper).adjusted(-0.5, -0.5, 0.5, 0.5).contains(rect)))
            found(QStringLiteral("clipped: ") + text);
    });
}

} // namespace vistrel::test
