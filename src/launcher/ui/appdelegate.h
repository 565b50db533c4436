#pragma once

#include <QObject>
#include <QSize>

class QWindow;

namespace vistrel {

// What the launcher does with its one window around the views: the size at launch, the fixed
// size once the main view shows, and quitting when the window closes.
class AppDelegate {
public:
    static constexpr QSize launchContentSize{420, 500};
    static constexpr QSize mainWindowSize{500, 450};

    // Quit when the last window closes.
    static void install();
    // The first window, if there is one, gets the launch size and is centred.
    static void finishedLaunching(const QList<QObject *> &rootObjects);
    // 500 x 450 for the rest of the window's life, not resizable, centred.
    static void configureMainWindow(QWindow *window);
    // Centres the window's frame on its screen's available area.
    static void centre(QWindow *window);
};

} // namespace vistrel
