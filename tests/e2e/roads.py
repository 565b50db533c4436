"""Stretches of road both end-to-end tests walk: an installation through the installer's window
and the hand-over to the launcher."""

import os
import time

import texts
from e2elib import RoadFailure, check, http_status, pid_alive, read_text, say, wait_until

INSTALLER_APP = "VistrelInstaller"
LAUNCHER_APP = "Vistrel"
INSTALL_LOG = "Installation log"

# Generous: the machine may be loaded, and verification alone may take up to about 80 s.
APPEAR = 60
INSTALL = 300


def start_installer(road, shown_language):
    process = road.start_program(
        os.path.join(road.installer_bundle, "Contents", "MacOS", "VistrelInstaller"), "installer"
    )
    road.atspi.wait_for(INSTALLER_APP, texts.INSTALLER[shown_language]["install"], "push button", timeout=APPEAR)
    return process


def choose_language(road, language):
    road.click(INSTALLER_APP, "Language", "combo box")
    road.click(INSTALLER_APP, texts.INSTALLER[language]["menu"])
    # Every text follows at once: the install button reads in the new language.
    road.atspi.wait_for(INSTALLER_APP, texts.INSTALLER[language]["install"], "push button", timeout=APPEAR)
    combo = road.atspi.find(INSTALLER_APP, "Language", "combo box")
    shown = road.atspi.child_names(combo)
    check(texts.INSTALLER[language]["menu"] in shown, f"the language menu shows {shown}")


def set_port(road, port):
    road.type_into(INSTALLER_APP, "Port", str(port))
    field = road.atspi.find(INSTALLER_APP, "Port", "text")
    wait_until(f"the port field to hold {port}", lambda: road.atspi.text_of(field) == str(port), 10)


def _merge(collected, window):
    """Adds a contiguous window of a list to what was collected before: the longest overlap of
    the collected tail with the window's head is shared, the rest is new."""
    for k in range(min(len(collected), len(window)), 0, -1):
        if collected[-k:] == window[:k]:
            return collected + window[k:]
    return collected + window


def _settled_window(road, app, list_name):
    """The list's lines in view once two looks in a row agree (scrolling is animated)."""
    previous = None
    deadline = time.monotonic() + 10
    while True:
        window = road.atspi.visible_lines(app, list_name)
        if window is not None and window == previous:
            return window
        if time.monotonic() > deadline:
            raise RoadFailure(f"the list '{list_name}' does not settle: {window}")
        previous = window
        time.sleep(0.2)


def read_list(road, app, list_name):
    """Reads every line of a scrolling list as a person would: scrolls it to the top with the
    mouse wheel, then down a notch at a time, reading what is in view."""
    node = road.atspi.wait_for(app, list_name, "list")
    x, y = road.atspi.centre(node)
    road.xdotool("mousemove", "--sync", str(x), str(y))
    road.xdotool("click", "--repeat", "60", "--delay", "10", "4")
    collected = _settled_window(road, app, list_name)
    for _ in range(500):
        road.xdotool("click", "5")
        window = _settled_window(road, app, list_name)
        if collected[-len(window):] == window:
            return collected  # at the bottom: a notch further shows nothing new
        collected = _merge(collected, window)
    raise RoadFailure(f"the list '{list_name}' does not end")


def install(road, language, port):
    """Presses install and follows the run to its end; returns the log read from the window.
    Fails with the log when the window shows the error card."""
    strings = texts.INSTALLER[language]
    road.click(INSTALLER_APP, strings["install"], "push button")
    started = time.monotonic()
    shot_during_run = False
    while True:
        if not shot_during_run and len(road.atspi.visible_lines(INSTALLER_APP, INSTALL_LOG) or []) > 3:
            road.screenshot("installing")
            shot_during_run = True
        if road.atspi.find(INSTALLER_APP, strings["open"], "push button") is not None:
            break
        if road.atspi.find(INSTALLER_APP, strings["error"]) is not None:
            road.screenshot("installation-failed")
            log = read_list(road, INSTALLER_APP, INSTALL_LOG)
            raise RoadFailure("the installation failed:\n  " + "\n  ".join(log))
        if time.monotonic() - started > INSTALL:
            raise RoadFailure(f"the installation did not finish in {INSTALL} s")
        time.sleep(0.3)
    say(f"installation finished after {time.monotonic() - started:.1f} s")
    road.screenshot("installed")
    log = read_list(road, INSTALLER_APP, INSTALL_LOG)
    with open(os.path.join(road.artifacts, "installation-log.txt"), "w") as f:
        f.write("".join(line + "\n" for line in log))
    return log


def check_installation_log(log, language, port):
    """Every step's success line in order, both service stops, the port, and the verification
    attempts up to the server's answer."""
    text = "\n  ".join(log)
    check(log and log[0] == "Initial system check...", f"the log starts with the system check:\n  {text}")
    check(
        log.count("Stopping existing Vistrel services...") == 2,
        f"the earlier service is stopped twice:\n  {text}",
    )
    check(f"Port configured to: {port}" in log, f"the log names port {port}:\n  {text}")
    successes = [line for line in log if line.startswith("✅ ") and line.endswith(" complete")]
    expected = [f"✅ {title} complete" for title in texts.INSTALLER[language]["steps"]]
    check(successes == expected, f"the step lines {successes} are not {expected}")
    check(not any(line.startswith("❌") for line in log), f"a step failed:\n  {text}")
    setup_done = log.index(expected[4])
    verify_done = log.index(expected[5])
    attempts = [line for line in log[setup_done:verify_done] if line.startswith("Pinging service... (Attempt ")]
    check(attempts, f"no verification attempt between setup and verification:\n  {text}")
    check(
        attempts == [f"Pinging service... (Attempt {n}/20)" for n in range(1, len(attempts) + 1)],
        f"the attempts are not counted 1, 2, ...: {attempts}",
    )
    check(log[verify_done - 1] == "Service is online!", f"the answer is logged before verification ends:\n  {text}")


def check_installed(road, language, port):
    check(read_text(os.path.join(road.install_root, "Media", "XML", "port.txt")).strip() == str(port),
          "port.txt holds the chosen port")
    check(read_text(os.path.join(road.install_root, "lang.txt")).strip() == texts.SERVER_CODE[language],
          f"lang.txt holds the server's code for {language}")
    check(os.path.isfile(road.plist), "the launch agent plist exists")
    check(os.access(road.launcher_executable, os.X_OK), "the launcher is installed in ~/Applications")
    check(road.job_loaded() == 0, "the service is loaded in the service manager")
    check(http_status(port) == 200, f"the server answers on port {port}")


def open_launcher(road, installer, language, port):
    """Presses the installer's open button: the installer quits and the launcher it opened
    from ~/Applications shows the running server. Returns the launcher's process id."""
    road.click(INSTALLER_APP, texts.INSTALLER[language]["open"], "push button")
    try:
        status = installer.wait(timeout=APPEAR)
    except Exception:
        raise RoadFailure("the installer did not quit after opening the launcher")
    check(status == 0, f"the installer quit with status {status}")
    launchers = wait_until("the launcher process from ~/Applications", road.launcher_pids, APPEAR)
    check(len(launchers) == 1, f"one launcher runs, not {launchers}")
    wait_launcher_running(road, language, port)
    return launchers[0]


def wait_launcher_running(road, language, port, timeout=APPEAR):
    strings = texts.LAUNCHER[language]
    road.atspi.wait_for(LAUNCHER_APP, strings["running_on"].format(port=port), "label", timeout=timeout)
    road.atspi.wait_for(LAUNCHER_APP, strings["running"], "label", timeout=timeout)
    road.atspi.wait_for(LAUNCHER_APP, strings["stop"], "push button", timeout=timeout)


def wait_gone(what, pid, timeout=APPEAR):
    wait_until(f"{what} (pid {pid}) to end", lambda: not pid_alive(pid), timeout)
