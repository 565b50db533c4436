"""Driving the real programs in real windows, as a person would: controls are found by their
accessible names and clicked with real pointer events (the accessibility "press" action does not
reach Qt Quick buttons' onClicked). Needs python3-pyatspi, xvfb, dbus, at-spi2-core, xdotool and
imagemagick (all in scripts/setup)."""

import contextlib
import hashlib
import os
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

LABEL = "com.qelvo.vistrel"
LAUNCHER_ID = "com.qelvonet.tarvik.launcher"


class RoadFailure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise RoadFailure(message)


def say(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


def wait_until(what, predicate, timeout, interval=0.2):
    """Polls predicate until it returns something truthy, and returns that."""
    deadline = time.monotonic() + timeout
    while not (value := predicate()):
        if time.monotonic() > deadline:
            raise RoadFailure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)
    return value


def free_port():
    """A loopback port that nothing listens on, not the server's default."""
    while True:
        with socket.socket(socket.AF_INET) as s:
            s.bind(("127.0.0.1", 0))
            if s.getsockname()[1] != 8090:
                return s.getsockname()[1]


def port_is_open(port):
    with contextlib.suppress(OSError), socket.create_connection(("localhost", port), timeout=1):
        return True
    return False


def http_status(port):
    with contextlib.suppress(OSError), urllib.request.urlopen(f"http://localhost:{port}", timeout=2) as answer:
        return answer.status
    return None


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def read_text(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


# --- processes ------------------------------------------------------------------------------


def _stat_fields(pid):  # after the command name: [0] state, [3] session
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            stat = f.read()
        return stat[stat.rindex(b")") + 2 :].split()
    except (OSError, ValueError):
        return []


def _exe(pid):
    with contextlib.suppress(OSError):
        return os.readlink(f"/proc/{pid}/exe")
    return ""


def _pids():
    return [int(p) for p in os.listdir("/proc") if p.isdigit()]


def pids_running(executable):
    """Processes whose executable is this file (a deleted one included)."""
    return [pid for pid in _pids() if _exe(pid) in (executable, executable + " (deleted)")]


def pid_alive(pid):
    fields = _stat_fields(pid)
    return bool(fields) and fields[0] != b"Z"


def end_road(root, home, launchctl_tool, sessions, children):
    """Ends the service first (so that its supervisor does not start the server again), then kills
    every process in one of the road's sessions or whose executable lies in root; removes root."""
    env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=os.path.join(root, "runtime"))
    with contextlib.suppress(Exception):
        subprocess.run([launchctl_tool, "bootout", f"gui/{os.getuid()}/{LABEL}"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    victims = {p.pid for p in children if p.poll() is None}
    for pid in _pids():
        fields = _stat_fields(pid)
        if pid != os.getpid() and ((len(fields) > 3 and int(fields[3]) in sessions) or _exe(pid).startswith(root + "/")):
            victims.add(pid)
    for pid in victims:
        with contextlib.suppress(OSError):
            os.kill(pid, signal.SIGKILL)
    for process in children:
        with contextlib.suppress(subprocess.TimeoutExpired):
            process.wait(5)
    shutil.rmtree(root, ignore_errors=True)


# --- the accessibility tree ------------------------------------------------------------------


class Accessibility:
    """Made once the road's private buses are in the environment. Every look-up walks the tree
    afresh, the library's cache off (no event loop here would keep it current)."""

    def __init__(self):
        import pyatspi
        from gi.repository import Atspi

        self.pyatspi, self.Atspi = pyatspi, Atspi

    def bus_ready(self):
        with contextlib.suppress(Exception):
            return self.pyatspi.Registry.getDesktop(0).childCount >= 0
        return False

    def nodes(self, app_name):  # (accessible, name, role, showing) in tree order
        try:
            desktop = self.pyatspi.Registry.getDesktop(0)
            apps = [app for app in map(desktop.getChildAtIndex, range(desktop.childCount))
                    if app is not None and app.name == app_name]
            apps[0].set_cache_mask(self.Atspi.Cache.NONE)
            apps[0].clear_cache()
        except Exception:
            return []
        out, stack = [], [apps[0]]
        while stack:
            node = stack.pop()
            try:
                showing = node.getState().contains(self.pyatspi.STATE_SHOWING)
                out.append((node, node.name or "", node.getRoleName(), showing))
                children = [node.getChildAtIndex(i) for i in range(node.childCount)]
            except Exception:
                continue
            stack.extend(child for child in reversed(children) if child is not None)
        return out

    def find(self, app_name, name, role=None, last=False):
        found = [n[0] for n in self.nodes(app_name) if n[1] == name and role in (None, n[2]) and n[3]]
        return (found[-1] if last else found[0]) if found else None

    def wait_for(self, app_name, name, role=None, last=False, timeout=30):
        # (an accessible may be falsy)
        return wait_until(f"{app_name}: '{name}' shown", lambda: [node for node in [self.find(app_name, name, role, last)]
                                                                  if node is not None], timeout, 0.25)[0]

    def extents(self, node):
        e = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height

    def visible_lines(self, app_name, list_name):
        """The lines of the list scrolled into its view, top to bottom (a list view keeps some lines
        outside its view alive too, not always contiguous ones); None without such a list."""
        node = self.find(app_name, list_name, "list")
        try:
            _, top, _, height = self.extents(node)
            lines = []
            for child in (node.getChildAtIndex(i) for i in range(node.childCount)):
                if child is not None and child.getRoleName() == "label":
                    _, y, _, h = self.extents(child)
                    if top <= y + h / 2 <= top + height:
                        lines.append((y, child.name or ""))
        except Exception:
            return None
        return [text for _, text in sorted(lines, key=lambda line: line[0])]


# --- the road's world -----------------------------------------------------------------------


class Road:
    """One road's private world: a temporary home folder, a service-manager domain, a virtual
    screen with its session and accessibility buses. Leaving it ends everything it started."""

    def __init__(self, name, home_name):
        self.home_name = home_name
        self.build = os.environ["VISTREL_E2E_BUILD_DIR"]
        self.installer_bundle = os.environ["VISTREL_E2E_INSTALLER_BUNDLE"]
        self.installer_executable = os.path.join(self.installer_bundle, "Contents", "MacOS", "VistrelInstaller")
        self.launchctl_tool = os.environ["VISTREL_E2E_LAUNCHCTL"]
        self.shots = os.path.join(self.build, "screenshots", "e2e", name)
        self.artifacts = os.path.join(self.build, "e2e-artifacts", name)
        self._sessions, self._children = [], []  # what we started, each in a session of its own
        self._shot_index = 0
        self.atspi = None

    def __enter__(self):
        for folder in (self.shots, self.artifacts):
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
        self.root = tempfile.mkdtemp(prefix="vistrel-e2e-")
        self.home = os.path.join(self.root, self.home_name)
        library = os.path.join(self.home, "Library")
        self.install_root = os.path.join(library, "Application Support", "Vistrel")
        self.plist = os.path.join(library, "LaunchAgents", LABEL + ".plist")
        self.launcher_bundle = os.path.join(self.home, "Applications", "Vistrel.app")
        self.desktop_entries = [os.path.join(self.home, ".local", "share", "applications", LAUNCHER_ID + ".desktop"),
                                os.path.join(self.home, ".config", "autostart", LABEL + ".desktop")]
        self.icons = {size: os.path.join(self.home, ".local", "share", "icons", "hicolor", f"{size}x{size}", "apps",
                                         LAUNCHER_ID + ".png") for size in (48, 64, 128, 256)}
        self.launcher_executable = os.path.join(self.launcher_bundle, "Contents", "MacOS", "Vistrel")
        self.server_executable = os.path.join(self.install_root, "TarvikService.app", "Contents", "MacOS", "Tarvik")
        runtime, bin_folder = os.path.join(self.root, "runtime"), os.path.join(self.root, "bin")
        for folder in (self.home, runtime, bin_folder):
            os.makedirs(folder)
        os.chmod(runtime, 0o700)
        # The desktop's URL opener, replaced by one that writes down what it was asked to open.
        self.opened_urls_file = os.path.join(self.root, "opened-urls.txt")
        with open(os.path.join(bin_folder, "xdg-open"), "w") as f:
            f.write(f'#!/bin/sh\nprintf "%s\\n" "$*" >> "{self.opened_urls_file}"\n')
        os.chmod(os.path.join(bin_folder, "xdg-open"), 0o755)
        kept = {k: v for k, v in os.environ.items() if not k.startswith(("XDG_", "QT_", "DBUS_", "AT_SPI", "VISTREL_"))
                and k not in ("DISPLAY", "WAYLAND_DISPLAY", "LANGUAGE", "LC_ALL", "LC_MESSAGES")}
        self.env = dict(kept, HOME=self.home, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8", QT_QPA_PLATFORM="xcb",
                        PATH=bin_folder + ":" + os.environ.get("PATH", "/usr/bin:/bin"), QT_QUICK_BACKEND="software",
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_LOGGING_RULES="qt.qpa.*=false;qt.accessibility.*=false")
        try:
            xvfb_log = open(os.path.join(self.artifacts, "xvfb.log"), "w")
            self.env["DISPLAY"] = ":" + self._start_reporting(
                "the virtual screen", ["Xvfb", "-displayfd", "{fd}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                                       "-noreset"], stdout=xvfb_log, stderr=xvfb_log)
            self.env["DBUS_SESSION_BUS_ADDRESS"] = self._start_reporting(
                "the session bus", ["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address={fd}"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            # pyatspi reaches the buses through this process's environment.
            for key in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
                os.environ[key] = self.env[key]
            self.atspi = Accessibility()
            wait_until("the accessibility bus", self.atspi.bus_ready, 30, 0.5)
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def __exit__(self, kind, value, tb):
        if kind is not None and self.atspi is not None:
            with contextlib.suppress(BaseException):
                self.screenshot("failure")
        end_road(self.root, self.home, self.launchctl_tool, self._sessions, self._children)
        return False

    def spawn(self, argv, log_name=None, extra_env=None, **kwargs):
        """In a session of its own, so that the clean-up finds what it leaves behind."""
        if log_name:
            kwargs.update(stdout=open(os.path.join(self.artifacts, log_name + ".log"), "w"), stderr=subprocess.STDOUT)
        process = subprocess.Popen(argv, env=dict(self.env, **(extra_env or {})), stdin=subprocess.DEVNULL,
                                   cwd=self.home, start_new_session=True, **kwargs)
        self._children.append(process)
        self._sessions.append(process.pid)
        return process

    def _start_reporting(self, what, argv, **kwargs):
        """Starts a helper that writes one line (its address) to the descriptor {fd} in argv."""
        read_end, write_end = os.pipe()
        self.spawn([arg.replace("{fd}", str(write_end)) for arg in argv], pass_fds=(write_end,), **kwargs)
        os.close(write_end)
        try:
            return self.read_line(read_end, 30, what)
        finally:
            os.close(read_end)

    @staticmethod
    def read_line(fd, timeout, what):
        data, deadline = b"", time.monotonic() + timeout
        while b"\n" not in data:
            ready, _, _ = select.select([fd], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(fd, 256) if ready else b""
            if not chunk:
                raise RoadFailure(f"{what} did not start")
            data += chunk
        return data.split(b"\n")[0].decode().strip()

    # --- the pieces of the road ------------------------------------------------------------

    def start_vendor(self):
        process = self.spawn([os.environ["VISTREL_E2E_DEMO_VENDOR"], "--package", os.environ["VISTREL_E2E_DEMO_PACKAGE"],
                              "--port", "0"], stdout=subprocess.PIPE,
                             stderr=open(os.path.join(self.artifacts, "vendor.log"), "w"))
        self.vendor_origin = self.read_line(process.stdout.fileno(), 30, "the demo download service")
        say(f"download service at {self.vendor_origin}")

    def write_installer_defaults(self, **values):
        folder = os.path.join(self.home, ".config", "qelvonet")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "VistrelInstaller.ini"), "w") as f:
            f.write("[General]\n" + "".join(f"{k}={v}\n" for k, v in values.items()))

    def run(self, argv, timeout=300):
        return subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                              timeout=timeout)

    def job_loaded(self):  # the stand-in's print: 0 loaded, 113 no such job
        return self.run([self.launchctl_tool, "print", f"gui/{os.getuid()}/{LABEL}"]).returncode

    def server_pids(self):
        return pids_running(self.server_executable)

    def opened_urls(self):
        with contextlib.suppress(FileNotFoundError):
            return read_text(self.opened_urls_file).splitlines()
        return []

    def screenshot(self, stage):
        self._shot_index += 1
        path = os.path.join(self.shots, f"{self._shot_index:02d}-{stage}.png")
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", "-trim", "+repage", path],
                       env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)

    # --- input ---------------------------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, stdin=subprocess.DEVNULL, timeout=30)

    def click(self, app, name, role=None, last=False, timeout=30):
        """At the centre of the control once it has stopped moving (screens slide in, windows are
        placed after they appear)."""
        previous = None

        def held_still():  # the same extents in two looks in a row
            nonlocal previous
            node = self.atspi.find(app, name, role, last)
            with contextlib.suppress(Exception):
                extents, previous = previous, self.atspi.extents(node) if node is not None else None
                return previous if previous == extents and previous[2] > 0 and previous[3] > 0 else None

        x, y, w, h = wait_until(f"{app}: '{name}' shown and holding still", held_still, timeout, 0.15)
        self.xdotool("mousemove", "--sync", str(x + w // 2), str(y + h // 2))
        self.xdotool("click", "1")

    def type_into(self, app, name, text):
        self.click(app, name)
        self.xdotool("key", "--clearmodifiers", "ctrl+a")
        self.xdotool("type", "--delay", "60", text)


def run_road(name, body, home_name="home folder"):  # every path the programs build must survive the name
    """Runs body(road) inside a Road; exit status 0 on success, 1 on a failed check."""

    def interrupted(signum, frame):
        raise KeyboardInterrupt(f"signal {signum}")

    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, interrupted)
    started = time.monotonic()
    try:
        with Road(name, home_name) as road:
            body(road)
    except RoadFailure as failure:
        say(f"FAILED: {failure}")
        return 1
    say(f"passed in {time.monotonic() - started:.0f} s")
    return 0
