#include "appdelegate.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace vistrel {

void AppDelegate::install() {
    QGuiApplication::setQuitOnLastWindowClosed(true);
}

void AppDelegate::finishedLaunching(const QList<QObject *> &rootObjects) {
    for (QObject *object : rootObjects) {
        if (auto *window = qobject_cast<QWindow *>(object)) {
            window->resize(launchContentSize);
            centre(window);
            return;
        }
    }
}

void AppDelegate::configureMainWindow(QWindow *window) {
    if (!window)
        return;
    // Minimum equal to maximum: no resizing by dragging; window managers drop the maximise control.
    window->setMinimumSize(mainWindowSize);
    window->setMaximumSize(mainWindowSize);
    window->setGeometry(QRect(QPoint(0, 0), mainWindowSize));
    centre(window);
}

void AppDelegate::centre(QWindow *window) {
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->setFramePosition(frame.topLeft());
}

} // namespace vistrel
