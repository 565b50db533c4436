#!/usr/bin/python3
"""The first road, as a person walks it: a fresh home folder; the installer's welcome screen,
another language and a free port; the installation with its log; the launcher the installer
opens; stop, start, restart and open the web interface; the launcher started again; uninstall.
Afterwards only the user's data and the language file are left."""

import os
import sys

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import roads  # noqa: E402
from e2elib import (  # noqa: E402
    check, free_port, http_status, pid_alive, port_is_open, read_text, run_road, say, sha256, wait_until,
)

LANGUAGE = "de"
L = roads.LAUNCHER[LANGUAGE]
APP = roads.LAUNCHER_APP


def first_road(road):
    port = free_port()
    road.start_vendor()
    road.write_installer_defaults(downloadServiceOrigin=road.vendor_origin)

    # Welcome screen, in the system's language (English here), then German and the port.
    installer = roads.start_installer(road, "en")
    road.screenshot("welcome")
    roads.choose_options(road, LANGUAGE, port)
    roads.install(road, LANGUAGE, port)

    # The user's own data, which must outlive the uninstall.
    recording = os.path.join(road.install_root, "Media", "Recordings", "front door", "clip 1.mp4")
    os.makedirs(os.path.dirname(recording))
    with open(recording, "wb") as f:
        f.write(os.urandom(64 * 1024))
    recording_hash = sha256(recording)

    # The installer opens the launcher and quits; the launcher shows the server running.
    launcher_pid = roads.open_launcher(road, installer, LANGUAGE, port)
    road.screenshot("launcher-running")
    check(f"Language changed to: {LANGUAGE}" in read_text(os.path.join(road.artifacts, "installer.log")),
          "the installer reported the language change")

    # Stop: the server goes away and the job is unloaded.
    road.click(APP, L["stop"], "push button")
    road.atspi.wait_for(APP, L["stopped"], "label", timeout=roads.APPEAR)
    check(not road.server_pids(), "no server process runs after Stop")
    check(road.job_loaded() == 113, "the job is unloaded after Stop")

    road.click(APP, L["start"], "push button")
    roads.wait_launcher_running(road, LANGUAGE, port)
    before = road.server_pids()
    check(len(before) == 1, f"one server process runs after Start, not {before}")

    # Restart: a new server process answers on the same port.
    road.click(APP, L["restart"], "push button")
    wait_until("a new server process after Restart", lambda: len(now := road.server_pids()) == 1
               and now[0] != before[0] and road.atspi.find(APP, L["running_on"].format(port=port), "label") is not None
               and http_status(port) == 200, roads.APPEAR)
    road.screenshot("restarted")

    # Open: the server's script hands the address to the desktop's browser; the launcher quits.
    road.click(APP, L["open"], "push button")
    wait_until("the browser opener to be asked", road.opened_urls, roads.APPEAR)
    check(road.opened_urls() == [f"http://localhost:{port}"], f"the browser was asked for {road.opened_urls()}")
    wait_until(f"the launcher (pid {launcher_pid}) to quit after Open", lambda: not pid_alive(launcher_pid), roads.APPEAR)
    check(http_status(port) == 200, "the server keeps running after the launcher quit")

    # The launcher again, as the user starts it from ~/Applications.
    launcher = road.spawn([road.launcher_executable], "launcher-again")
    roads.wait_launcher_running(road, LANGUAGE, port)
    road.screenshot("launcher-again")

    # Uninstall: confirm, follow the run to its success, close.
    road.click(APP, L["uninstall"], "push button")
    road.atspi.wait_for(APP, L["confirm_title"], "label", timeout=roads.APPEAR)
    road.atspi.wait_for(APP, L["title"], "frame")  # the uninstaller window, named by its header
    road.click(APP, L["uninstall"], "push button", last=True)
    road.atspi.wait_for(APP, L["success"], "label", timeout=roads.INSTALL)
    road.screenshot("uninstalled")
    log = roads.read_list(road, APP, L["log"])
    say("uninstall log:\n  " + "\n  ".join(log))
    steps = ["stopService", "removeLaunchAgent", "removeApplicationFiles", "removeLauncherApp", "cleanupLogs", "complete"]
    completions = [line for line in log if line.startswith("✅ ")]
    check(completions == [f"✅ {step} complete" for step in steps], f"the uninstall steps ended with {completions}")
    check(not any(line.startswith(("❌", "⚠️")) for line in log), "no uninstall step failed or warned")
    road.click(APP, L["close"], "push button")
    check(launcher.wait(timeout=roads.APPEAR) == 0, "the launcher quits after Close")

    # What is left: the user's data and the language file, nothing that runs.
    check(not os.path.exists(road.plist), "the launch agent plist is removed")
    check(road.job_loaded() == 113, "no job is left in the service manager")
    wait_until(f"port {port} to be closed", lambda: not port_is_open(port), 30)
    check(not road.server_pids(), "no server process is left")
    check(os.path.isfile(recording) and sha256(recording) == recording_hash, "the recording in Media is intact")
    check(read_text(os.path.join(road.install_root, "Media", "XML", "port.txt")).strip() == str(port),
          "the port file under Media is kept")
    check(read_text(os.path.join(road.install_root, "lang.txt")).strip() == "de", "lang.txt is kept")


if __name__ == "__main__":
    sys.exit(run_road("first-road", first_road))
