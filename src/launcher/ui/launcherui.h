#pragma once

class QQmlApplicationEngine;
class QQuickWindow;

namespace vistrel {

class LauncherController;

// Sets up the engine (style, pictures) and loads the launcher's window over the controller. The
// program and the view tests both come through here. Returns the window, or null on failure.
QQuickWindow *loadLauncherWindow(QQmlApplicationEngine &engine, LauncherController &controller);

} // namespace vistrel
