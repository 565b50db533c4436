"""Stretches of road every walk shares: an installation through the installer's window and the
hand-over to the launcher; and what a person reads in the two windows, in the roads' languages."""

import os
import time

from e2elib import RoadFailure, check, http_status, pids_running, read_text, say, wait_until

INSTALLER_APP, LAUNCHER_APP, INSTALL_LOG = "VistrelInstaller", "Vistrel", "Installation log"
APPEAR, INSTALL = 60, 300  # generous: the machine may be loaded; verification alone may take 80 s

INSTALLER = {
    "en": {"install": "Install Vistrel", "open": "Open Vistrel"},
    "fr": {"install": "Installer Vistrel"},
    "de": {"menu": "🇩🇪 Deutsch", "install": "Vistrel installieren", "open": "Vistrel öffnen",
           "error": "Installationsfehler"},
    "zh-Hans": {"menu": "🇨🇳 中文简体", "install": "安装 Vistrel", "open": "打开 Vistrel", "error": "安装错误"},
}
SERVER_CODE = {"fr": "fr", "de": "de", "zh-Hans": "zh-cn"}  # the language file holds the server's codes
LAUNCHER = {
    "de": {"running_on": "Läuft auf Port {port}", "stopped": "Gestoppt", "stop": "Stoppen",
           "start": "Vistrel Starten", "restart": "Neustarten", "open": "Öffnen", "uninstall": "Vistrel Deinstallieren",
           "confirm_title": "Sind Sie sicher, dass Sie Vistrel deinstallieren möchten?", "title": "Vistrel Deinstallieren",
           "success": "✅ Vistrel wurde erfolgreich deinstalliert", "close": "Schließen", "log": "Deinstallations-Log"},
    "zh-Hans": {"running_on": "在端口 {port} 上运行", "stop": "停止"},
}


def start_installer(road, shown_language):
    process = road.spawn([road.installer_executable], "installer")
    road.atspi.wait_for(INSTALLER_APP, INSTALLER[shown_language]["install"], "push button", timeout=APPEAR)
    road.atspi.wait_for(INSTALLER_APP, "Vistrel Installer", "frame")  # the title task bars and readers show
    return process


def choose_options(road, language, port):
    """Another language (every text follows at once) and the port, on the welcome screen."""
    road.click(INSTALLER_APP, "Language", "combo box")
    road.click(INSTALLER_APP, INSTALLER[language]["menu"])
    road.atspi.wait_for(INSTALLER_APP, INSTALLER[language]["install"], "push button", timeout=APPEAR)
    road.type_into(INSTALLER_APP, "Port", str(port))
    road.screenshot("welcome-options")


def _settled_window(road, app, list_name):
    """The list's lines in view once two looks in a row agree (scrolling is animated)."""
    previous = None

    def settled():
        nonlocal previous
        window, previous = previous, road.atspi.visible_lines(app, list_name)
        return [window] if window is not None and window == previous else None

    return wait_until(f"the list '{list_name}' to settle", settled, 10)[0]


def read_list(road, app, list_name):
    """Reads every line of a scrolling list as a person would: scrolls it to the top with the
    mouse wheel, then down a notch at a time, reading what is in view."""
    x, y, w, h = road.atspi.extents(road.atspi.wait_for(app, list_name, "list"))
    road.xdotool("mousemove", "--sync", str(x + w // 2), str(y + h // 2))
    road.xdotool("click", "--repeat", "60", "--delay", "10", "4")
    collected = _settled_window(road, app, list_name)
    for _ in range(500):
        road.xdotool("click", "5")
        window = _settled_window(road, app, list_name)
        if collected[-len(window):] == window:
            return collected  # at the bottom: a notch further shows nothing new
        # The longest overlap of what was read with the window's head is shared; the rest is new.
        overlap = next((k for k in range(min(len(collected), len(window)), 0, -1) if collected[-k:] == window[:k]), 0)
        collected += window[overlap:]
    raise RoadFailure(f"the list '{list_name}' does not end")


def install(road, language, port):
    """Presses install, follows the run to its end, checks the log read from the window and what
    the run left; returns the log."""
    strings = INSTALLER[language]
    road.click(INSTALLER_APP, strings["install"], "push button")
    started, shot_during_run = time.monotonic(), False
    while road.atspi.find(INSTALLER_APP, strings["open"], "push button") is None:
        if not shot_during_run and len(road.atspi.visible_lines(INSTALLER_APP, INSTALL_LOG) or []) > 3:
            road.screenshot("installing")
            shot_during_run = True
        if road.atspi.find(INSTALLER_APP, strings["error"]) is not None:
            road.screenshot("installation-failed")
            raise RoadFailure("the installation failed:\n  " + "\n  ".join(read_list(road, INSTALLER_APP, INSTALL_LOG)))
        check(time.monotonic() - started < INSTALL, f"the installation did not finish in {INSTALL} s")
        time.sleep(0.3)
    say(f"installation finished after {time.monotonic() - started:.1f} s")
    road.screenshot("installed")
    log = read_list(road, INSTALLER_APP, INSTALL_LOG)
    with open(os.path.join(road.artifacts, "installation-log.txt"), "w") as f:
        f.write("".join(line + "\n" for line in log))

    text = "\n  ".join(log)
    check(log and log[0] == "Initial system check...", f"the log starts with the system check:\n  {text}")
    check(f"Port configured to: {port}" in log, f"the log names port {port}:\n  {text}")
    # Seven steps, each completed once, in the chosen language (the whole text is the engine tests' matter).
    successes = [line for line in log if line.startswith("✅ ") and line.endswith(" complete")]
    check(len(successes) == len(set(successes)) == 7 and "✅ Preparing Service Cleanup complete" not in log,
          f"seven translated step lines:\n  {text}")
    check(not any(line.startswith("❌") for line in log), f"a step failed:\n  {text}")
    check(read_text(os.path.join(road.install_root, "Media", "XML", "port.txt")).strip() == str(port),
          "port.txt holds the chosen port")
    check(read_text(os.path.join(road.install_root, "lang.txt")).strip() == SERVER_CODE[language],
          f"lang.txt holds the server's code for {language}")
    check(road.job_loaded() == 0, "the service is loaded in the service manager")
    check(http_status(port) == 200, f"the server answers on port {port}")
    return log


def open_launcher(road, installer, language, port):
    """Presses the installer's open button: the installer quits and the launcher it opened from
    ~/Applications shows the running server. Returns the launcher's process id."""
    road.click(INSTALLER_APP, INSTALLER[language]["open"], "push button")
    check(installer.wait(timeout=APPEAR) == 0, "the installer quits after opening the launcher")
    launchers = wait_until("the launcher process from ~/Applications", lambda: pids_running(road.launcher_executable),
                           APPEAR)
    check(len(launchers) == 1, f"one launcher runs, not {launchers}")
    wait_launcher_running(road, language, port)
    return launchers[0]


def wait_launcher_running(road, language, port):
    strings = LAUNCHER[language]
    for name, role in ((strings["running_on"].format(port=port), "label"), (strings["stop"], "push button"),
                       ("Vistrel", "frame")):
        road.atspi.wait_for(LAUNCHER_APP, name, role, timeout=APPEAR)
