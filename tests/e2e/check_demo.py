#!/usr/bin/python3
"""Checks scripts/demo as a person uses it: runs it (--fresh) in a private virtual screen, presses
install and open, sees the launcher report the server running, closes it, and checks that the demo
then stops everything it started. Not a ctest test: the demo sets up and builds first.

    tests/e2e/check_demo.py [build folder name, default build]
"""

import fcntl
import os
import signal
import subprocess
import sys

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import roads  # noqa: E402
from e2elib import LABEL, check, http_status, pids_running, port_is_open, read_text, run_road, say  # noqa: E402

checkout = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
build_name = sys.argv[1] if len(sys.argv) > 1 else "build"
build = os.path.join(checkout, build_name)
os.environ.update(VISTREL_E2E_BUILD_DIR=build,
                  VISTREL_E2E_INSTALLER_BUNDLE=os.path.join(build, "bundles", "VistrelInstaller.app"),
                  VISTREL_E2E_LAUNCHCTL=os.path.join(build, "bundles", "Vistrel.app", "Contents", "Helpers", "launchctl"))
EN = roads.INSTALLER["en"]


def demo_road(road):
    sandbox = os.path.join(build, "demo-sandbox")
    home = os.path.join(sandbox, "home")
    demo = road.spawn([os.path.join(checkout, "scripts", "demo"), "--fresh"], "demo", dict(BUILD_DIR=build_name))
    road.atspi.wait_for(roads.INSTALLER_APP, EN["install"], "push button", timeout=3600)  # set-up and build first
    road.screenshot("welcome")
    # The installation ends server processes by name: wait for tests that run servers to finish
    # (the lock is held until this check ends).
    lock = open("/tmp/vistrel-services.lock", "a")
    fcntl.flock(lock, fcntl.LOCK_EX)
    road.click(roads.INSTALLER_APP, EN["install"], "push button")
    road.atspi.wait_for(roads.INSTALLER_APP, EN["open"], "push button", timeout=roads.INSTALL)
    road.screenshot("installed")
    port = int(read_text(os.path.join(home, "Library", "Application Support", "Vistrel", "Media", "XML", "port.txt")))
    road.click(roads.INSTALLER_APP, EN["open"], "push button")
    road.atspi.wait_for(roads.LAUNCHER_APP, f"Running on port {port}", "label", timeout=roads.APPEAR)
    road.screenshot("launcher")
    launchers = pids_running(os.path.join(home, "Applications", "Vistrel.app", "Contents", "MacOS", "Vistrel"))
    check(len(launchers) == 1, f"one launcher runs from the sandbox, not {launchers}")
    check(http_status(port) == 200, f"the demo server answers on port {port}")
    check(os.path.isfile(os.path.join(home, ".local", "share", "applications", "com.qelvonet.tarvik.launcher.desktop")),
          "the sandbox's application menu offers the launcher")

    # The user closes the launcher: the demo stops the service and the download service.
    os.kill(launchers[0], signal.SIGTERM)
    try:
        status = demo.wait(timeout=roads.APPEAR)
    except subprocess.TimeoutExpired:
        status = None
    check(status == 0, f"the demo ended with status {status}")
    check("demo: stopped; the sandbox stays in" in read_text(os.path.join(road.artifacts, "demo.log")),
          "the demo said it stopped")
    left = subprocess.run([road.launchctl_tool, "print", f"gui/{os.getuid()}/{LABEL}"],
                          env=dict(road.env, XDG_RUNTIME_DIR=os.path.join(sandbox, "run")), stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    check(left == 113, "no job is left in the demo's service-manager domain")
    check(not port_is_open(port), f"nothing listens on port {port} any more")
    check(not pids_running(os.path.join(build, "tools", "demo-vendor", "vistrel-demo-vendor")),
          "the download service has ended")
    say(f"the demo installed, opened the launcher on port {port} and cleaned up")


if __name__ == "__main__":
    sys.exit(run_road("demo", demo_road))
