#!/usr/bin/python3
"""The second road, in a home whose name is hostile to every quoting layer. An administrator's
script installs without a window (in French, on one port); the desktop's entries start the
launcher and, after a reboot, the server. The user's recordings and settings go under Media. The
user runs the installer again, in its window, with another language and another port: the data
survives, the old port is given up, the language file holds the new server code, and the launcher
reports the new port in the new language. Uninstalled without a window, only the data is left."""

import os
import shutil
import signal
import struct
import sys

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import roads  # noqa: E402
from e2elib import (  # noqa: E402
    LABEL, check, free_port, http_status, pid_alive, pids_running, port_is_open, read_text, run_road, sha256,
    wait_until,
)


def headless_install(road, port):
    """As an administrator's script runs it: standard output carries the log alone."""
    run = road.run([road.installer_executable, "--headless", "--download-service", road.vendor_origin, "--port",
                    str(port), "--language", "fr"])
    with open(os.path.join(road.artifacts, "first-installation.log"), "w") as f:
        f.write(run.stdout + run.stderr)
    out = run.stdout.splitlines()
    check(run.returncode == 0 and not run.stderr, f"the earlier installation failed (status {run.returncode})")
    check(out[0] == "Initial system check..." and out[-1] == "✅ Prêt à lancer complete", "the log, whole")
    # Into a pipe, the progress line that takes the location line's place is a line of its own.
    location = next(i for i, line in enumerate(out) if line.startswith("Downloading from: "))
    check(out[location + 1].startswith("Downloaded "), "the progress on a line of its own")
    check(not any("⚠️" in line or "Archive:" in line for line in out), "no warning, no listing of the unpacking")
    defaults = read_text(os.path.join(road.home, ".config", "qelvonet", "VistrelInstaller.ini"))
    check("selectedLanguage=fr" in defaults and "downloadServiceOrigin" not in defaults,
          "the language is kept, the download service was for that run only")
    check(read_text(os.path.join(road.install_root, "lang.txt")).strip() == "fr", "the language file")
    check(http_status(port) == 200, f"the earlier server answers on port {port}")


def desktop_entries_and_reboot(road, port):
    """The entries pass the desktop's own check; the menu entry starts the launcher; after a reboot
    the session's autostart entry starts the server again, past an agent that is a link to a FIFO."""
    installer_entry = os.path.join(road.installer_bundle, "Contents", "Resources",
                                   "com.qelvonet.tarvik.installer.desktop")
    for entry in road.desktop_entries + [installer_entry]:
        check_run = road.run(["desktop-file-validate", entry], 60)
        check(check_run.returncode == 0 and not check_run.stdout, f"{entry}:\n{check_run.stdout}")
    for size, icon in road.icons.items():
        with open(icon, "rb") as f:
            check(struct.unpack(">II", f.read(24)[16:]) == (size, size), f"the {size} px icon")
    road.spawn(["gio", "launch", road.desktop_entries[0]], "menu-entry")
    for pid in wait_until("the launcher from the menu", lambda: pids_running(road.launcher_executable), roads.APPEAR):
        os.kill(pid, signal.SIGTERM)
    wait_until("the launcher to quit", lambda: not pids_running(road.launcher_executable), roads.APPEAR)

    # Every supervisor and the server end with the runtime folder.
    shutil.rmtree(os.path.join(road.env["XDG_RUNTIME_DIR"], "vistrel-launchctl"))
    wait_until(f"port {port} to close at the reboot", lambda: not port_is_open(port), 30)
    os.mkfifo(os.path.join(road.home, "fifo"))
    os.symlink(os.path.join(road.home, "fifo"), os.path.join(os.path.dirname(road.plist), "a.plist"))
    road.spawn(["gio", "launch", road.desktop_entries[1]], "autostart-entry")
    wait_until(f"the server on port {port} after the login", lambda: http_status(port) == 200, roads.APPEAR)
    again = road.run([road.launchctl_tool, "autostart"], 60)
    check(again.returncode == 0 and again.stdout == f"Already loaded: {LABEL}\n", "a second login leaves it alone")


def reinstall_road(road):
    old_port = free_port()
    new_port = wait_until("a second free port", lambda: (port := free_port()) != old_port and port, 10)
    road.start_vendor()
    headless_install(road, old_port)
    desktop_entries_and_reboot(road, old_port)

    # The user's data: a recording and a settings file next to the port file.
    media = os.path.join(road.install_root, "Media")
    hashes = {}
    for path in (os.path.join(media, "Recordings", "garage", "2024-05-01 07.00.mp4"),
                 os.path.join(media, "XML", "cameras.xml")):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(os.urandom(32 * 1024))
        hashes[path] = sha256(path)

    # The installer remembers the language chosen last time.
    road.write_installer_defaults(downloadServiceOrigin=road.vendor_origin, selectedLanguage="fr")
    installer = roads.start_installer(road, "fr")
    road.screenshot("welcome-remembered-language")
    roads.choose_options(road, "zh-Hans", new_port)
    log = roads.install(road, "zh-Hans", new_port)
    check("Removed existing launcher app" in log, "the earlier launcher was replaced")
    wait_until(f"the old port {old_port} to be given up", lambda: not port_is_open(old_port), 30)
    check(len(road.server_pids()) == 1, f"one server runs, not {road.server_pids()}")
    for path, digest in hashes.items():
        check(os.path.isfile(path) and sha256(path) == digest, f"{os.path.relpath(path, media)} survived")

    launcher = roads.open_launcher(road, installer, "zh-Hans", new_port)
    road.screenshot("launcher-new-port")
    os.kill(launcher, signal.SIGTERM)
    wait_until("the launcher to quit", lambda: not pid_alive(launcher), roads.APPEAR)

    # Uninstall without a window: everything but the user's data goes.
    run = road.run([road.launcher_executable, "--uninstall", "--yes"])
    out = run.stdout.splitlines()
    check(run.returncode == 0 and out[-1] == "✅ complete complete" and not any("⚠️" in line for line in out),
          f"the uninstall:\n{run.stdout}{run.stderr}")
    left = [p for p in [road.plist, road.launcher_bundle, *road.desktop_entries, *road.icons.values()] if os.path.exists(p)]
    check(not left and road.job_loaded() == 113 and not port_is_open(new_port), f"left behind: {left}")
    for path, digest in hashes.items():
        check(os.path.isfile(path) and sha256(path) == digest, f"{os.path.relpath(path, media)} survived the uninstall")


if __name__ == "__main__":
    sys.exit(run_road("reinstall-road", reinstall_road, "it's a \"home\" & $HOME %f `x` a=b"))
