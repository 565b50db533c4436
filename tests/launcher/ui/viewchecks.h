#pragma once

#include <QQuickWindow>
#include <QStringList>

namespace vistrel::test {

// What a careful look at a rendered window checks: no raw string-table key on screen, no text
// cut short or outside the window, no symbol without a picture.
QStringList rawKeysOnScreen(QQuickWindow *window);
QStringList cutTexts(QQuickWindow *window);
QStringList missingSymbols(QQuickWindow *window);
// Areas (other than the log) whose content does not fit and scrolls.
QStringList scrollingAreas(QQuickWindow *window);

} // namespace vistrel::test
