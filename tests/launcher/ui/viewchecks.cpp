#include "viewchecks.h"

#include "launcher/localization/launcherlocalizationmanager.h"
#include "uikit/symbolicons.h"

#include <QQuickItem>

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

// The nearest ancestor that clips its children (a scroll area), if any.
QQuickItem *clippingAncestor(QQuickItem *item) {
    for (QQuickItem *it = item->parentItem(); it; it = it->parentItem()) {
        if (it->clip())
            return it;
    }
    return nullptr;
}

// Inside an area that scrolls: what is out of view can be scrolled to.
bool insideScrollingArea(QQuickItem *item) {
    for (QQuickItem *it = item->parentItem(); it; it = it->parentItem()) {
        if (it->inherits("QQuickFlickable") && it->property("interactive").toBool())
            return true;
    }
    return false;
}

} // namespace

QStringList rawKeysOnScreen(QQuickWindow *window) {
    const StringTable &english = LauncherLocalizationManager::stringTable(QStringLiteral("en"));
    QStringList keys;
    forEachShown(window->contentItem(), [&](QQuickItem *item) {
        if (!item->inherits("QQuickText"))
            return;
        const QString text = item->property("text").toString();
        for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
            if (english.contains(word))
                keys.append(word);
        }
    });
    return keys;
}

QStringList cutTexts(QQuickWindow *window) {
    QStringList cut;
    const QRectF windowRect(QPointF(0, 0), window->size());
    forEachShown(window->contentItem(), [&](QQuickItem *item) {
        if (item->inherits("QQuickAbstractButton") && item->width() + 0.5 < item->implicitWidth())
            cut.append(QStringLiteral("squeezed button: ") + item->property("text").toString());
        // A row whose items do not fit lays them out past its own end.
        if (item->inherits("QQuickRowLayout")) {
            for (QQuickItem *child : item->childItems()) {
                if (child->isVisible() && (child->x() < -0.5 || child->x() + child->width() > item->width() + 0.5))
                    cut.append(QStringLiteral("overflowing row: ") + item->objectName() + u' ' +
                               child->property("text").toString());
            }
        }
        if (!item->inherits("QQuickText") || item->property("text").toString().isEmpty())
            return;
        const QString text = item->property("text").toString();
        if (item->property("truncated").toBool())
            cut.append(QStringLiteral("truncated: ") + text);
        // Lines that need more room than the item has spill out of it.
        const qreal needed = item->property("contentWidth").toReal();
        if (needed > item->width() + 1)
            cut.append(QStringLiteral("too narrow (%1 < %2): ").arg(item->width()).arg(needed) + text);
        if (insideScrollingArea(item))
            return;
        const QRectF rect = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
        if (!windowRect.adjusted(-0.5, -0.5, 0.5, 0.5).contains(rect))
            cut.append(QStringLiteral("outside the window: ") + text);
        if (QQuickItem *clipper = clippingAncestor(item)) {
            const QRectF visible = clipper->mapRectToScene(QRectF(0, 0, clipper->width(), clipper->height()));
            // Rows of a scrolled list may be out of view; only a partial cut counts.
            if (!visible.adjusted(-0.5, -0.5, 0.5, 0.5).contains(rect))
                cut.append(QStringLiteral("clipped: ") + text);
        }
    });
    return cut;
}

QStringList scrollingAreas(QQuickWindow *window) {
    QStringList areas;
    forEachShown(window->contentItem(), [&](QQuickItem *item) {
        if (item->inherits("QQuickFlickable") && !item->inherits("QQuickListView") &&
            item->property("interactive").toBool())
            areas.append(item->objectName());
    });
    return areas;
}

QStringList missingSymbols(QQuickWindow *window) {
    QStringList missing;
    forEachShown(window->contentItem(), [&](QQuickItem *item) {
        if (!item->inherits("QQuickImage"))
            return;
        const QUrl source = item->property("source").toUrl();
        if (source.isEmpty()) {
            missing.append(QStringLiteral("image without a source: ") + item->objectName());
            return;
        }
        if (source.scheme() == u"image" && source.host() == u"symbol") {
            const QString symbol = source.path().mid(1);
            if (themeIconForSymbol(symbol).isEmpty())
                missing.append(QStringLiteral("unknown symbol: ") + symbol);
        }
        // QQuickImageBase::Status: 1 is Ready.
        if (item->property("status").toInt() != 1)
            missing.append(QStringLiteral("not loaded: ") + source.toString());
    });
    return missing;
}

} // namespace vistrel::test
