#pragma once

#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

// Finding and pressing items in the programs' real windows.
namespace vistrel::test {

// The first item with this object name in the tree under item, or nullptr.
inline QQuickItem *findItem(QQuickItem *item, const QString &objectName) {
    if (!item || item->objectName() == objectName)
        return item;
    for (QQuickItem *child : item->childItems()) {
        if (QQuickItem *found = findItem(child, objectName))
            return found;
    }
    return nullptr;
}

// On screen: in a visible window, and it and every parent visible and not faded out.
inline bool isShown(const QQuickItem *item) {
    if (!item || !item->window() || !item->window()->isVisible())
        return false;
    for (const QQuickItem *i = item; i; i = i->parentItem()) {
        if (!i->isVisible() || i->opacity() <= 0)
            return false;
    }
    return true;
}

// A real click at the item's centre.
inline void clickItem(QQuickItem *item) {
    QTest::mouseClick(item->window(), Qt::LeftButton, Qt::NoModifier,
                      item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint());
}

} // namespace vistrel::test
