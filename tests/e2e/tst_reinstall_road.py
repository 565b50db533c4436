#!/usr/bin/python3
"""The second road: an installation exists (in French, on one port) and holds the user's
recordings and settings under Media. The user runs the installer again, in its window, with
another language and another port. The data survives, the old port is given up, the language
file holds the new server code, and the launcher reports the new port in the new language."""

import os
import subprocess
import sys

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import roads  # noqa: E402
from e2elib import check, free_port, http_status, port_is_open, read_text, run_road, say, sha256, wait_until  # noqa: E402


def reinstall_road(road):
    old_port = free_port()
    new_port = wait_until("a second free port", lambda: (port := free_port()) != old_port and port, 10)
    road.start_vendor()
    # The installer remembers the language the user chose last time.
    road.write_installer_defaults(downloadServiceOrigin=road.vendor_origin, selectedLanguage="fr")

    # The earlier installation, made by the same installer without a window.
    with open(os.path.join(road.artifacts, "first-installation.log"), "w") as log:
        run = subprocess.run([road.installer_executable, "--headless", "--port", str(old_port)],
                             env=road.env, stdin=subprocess.DEVNULL, stdout=log,
                             stderr=subprocess.STDOUT, timeout=300)
    check(run.returncode == 0, f"the earlier installation failed (status {run.returncode})")
    check(read_text(os.path.join(road.install_root, "lang.txt")).strip() == "fr",
          "the earlier installation wrote its language")
    check(http_status(old_port) == 200, f"the earlier server answers on port {old_port}")

    # The user's data: a recording and a settings file next to the port file.
    media = os.path.join(road.install_root, "Media")
    hashes = {}
    for path in (os.path.join(media, "Recordings", "garage", "2024-05-01 07.00.mp4"),
                 os.path.join(media, "XML", "cameras.xml")):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(os.urandom(32 * 1024))
        hashes[path] = sha256(path)

    installer = roads.start_installer(road, "fr")
    road.screenshot("welcome-remembered-language")
    roads.choose_options(road, "zh-Hans", new_port)
    log = roads.install(road, "zh-Hans", new_port)
    check("Removed existing launcher app" in log, "the earlier launcher was replaced")
    wait_until(f"the old port {old_port} to be given up", lambda: not port_is_open(old_port), 30)
    check(len(road.server_pids()) == 1, f"one server runs, not {road.server_pids()}")
    for path, digest in hashes.items():
        check(os.path.isfile(path) and sha256(path) == digest, f"{os.path.relpath(path, media)} survived")

    roads.open_launcher(road, installer, "zh-Hans", new_port)
    road.screenshot("launcher-new-port")
    check(road.job_loaded() == 0, "the service stays loaded")
    say(f"reinstalled from port {old_port} (fr) to port {new_port} (zh-Hans)")


if __name__ == "__main__":
    sys.exit(run_road("reinstall-road", reinstall_road))
