"""Driving the real programs in real windows, as a person would.

A private X server, session bus and accessibility bus per road; controls are found by their
accessible names and clicked with real pointer events at their centres (the accessibility
"press" action does not reach Qt Quick buttons' onClicked). Every process a road starts, or that
the programs start on its behalf in its home folder, is ended when the road ends, also when it
fails.

Needs Debian's /usr/bin/python3 with python3-pyatspi, xvfb, dbus, at-spi2-core, xdotool and
imagemagick (import) — all in scripts/setup.
"""

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
import urllib.error
import urllib.request

LABEL = "com.qelvo.vistrel"
LAUNCHER_APP = "Vistrel"


class RoadFailure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise RoadFailure(message)


def say(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


def wait_until(what, predicate, timeout, interval=0.2):
    """Polls predicate until it returns something truthy; fails with `what` after timeout s."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise RoadFailure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def free_port():
    """A loopback port that nothing listens on (v4 and v6), not the server's default."""
    for _ in range(50):
        with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as v4:
            v4.bind(("127.0.0.1", 0))
            port = v4.getsockname()[1]
            if port == 8090:
                continue
            try:
                with socket.socket(socket.AF_INET6, socket.SOCK_STREAM) as v6:
                    v6.bind(("::1", port))
            except OSError:
                continue
            return port
    raise RoadFailure("no free port")


def port_is_open(port):
    for family, host in ((socket.AF_INET, "127.0.0.1"), (socket.AF_INET6, "::1")):
        with socket.socket(family, socket.SOCK_STREAM) as s:
            s.settimeout(1)
            try:
                s.connect((host, port))
                return True
            except OSError:
                pass
    return False


def http_status(port):
    try:
        with urllib.request.urlopen(f"http://localhost:{port}", timeout=2) as answer:
            return answer.status
    except urllib.error.HTTPError as e:
        return e.code
    except OSError:
        return None


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def read_text(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


# --- processes ------------------------------------------------------------------------------


def _proc_pids():
    return [int(p) for p in os.listdir("/proc") if p.isdigit()]


def _proc_session(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            stat = f.read()
        return int(stat[stat.rindex(")") + 2 :].split()[3])
    except (OSError, ValueError, IndexError):
        return None


def _proc_environ(pid):
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            return f.read().split(b"\0")
    except OSError:
        return []


def _proc_exe(pid):
    try:
        return os.readlink(f"/proc/{pid}/exe")
    except OSError:
        return ""


def pids_running(executable):
    """Processes whose executable is this file (a deleted one included)."""
    found = []
    for pid in _proc_pids():
        exe = _proc_exe(pid)
        if exe == executable or exe == executable + " (deleted)":
            found.append(pid)
    return found


def pid_alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().split(")")[-1].split()[0] != "Z"
    except OSError:
        return False


# --- the road's world -----------------------------------------------------------------------

ROAD_PREFIX = "vistrel-e2e-"
HOME_NAME = "home folder"


def end_road(root, launchctl_tool, sessions=(), children=()):
    """Ends everything that belongs to the road in root: the service first (so that its
    supervisor does not start the server again), then every process started in one of the
    road's sessions or whose executable or home folder lies in the road's folder (the launcher
    the installer opened, the server, the supervisor, the buses); then removes the folder."""
    home = os.path.join(root, HOME_NAME)
    plist = os.path.join(home, "Library", "LaunchAgents", LABEL + ".plist")
    env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=os.path.join(root, "runtime"))
    if os.path.isdir(env["XDG_RUNTIME_DIR"]):
        with contextlib.suppress(Exception):
            target = [f"gui/{os.getuid()}", plist] if os.path.exists(plist) else [f"gui/{os.getuid()}/{LABEL}"]
            subprocess.run([launchctl_tool, "bootout", *target], env=env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    me = os.getpid()
    home_entry = f"HOME={home}".encode()
    for sig in (signal.SIGTERM, signal.SIGKILL):
        victims = []
        for pid in _proc_pids():
            if pid == me:
                continue
            if (
                _proc_session(pid) in sessions
                or _proc_exe(pid).startswith(root + "/")
                or home_entry in _proc_environ(pid)
            ):
                victims.append(pid)
        for process in children:
            if process.poll() is None and process.pid not in victims:
                victims.append(process.pid)
        for pid in victims:
            with contextlib.suppress(OSError):
                os.kill(pid, sig)
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and any(pid_alive(p) for p in victims):
            time.sleep(0.1)
        for process in children:
            with contextlib.suppress(Exception):
                process.poll()
        if not any(pid_alive(p) for p in victims):
            break
    if os.environ.get("VISTREL_E2E_KEEP") != "1":
        shutil.rmtree(root, ignore_errors=True)


def sweep_abandoned_roads(launchctl_tool):
    """A road killed outright (a test time-out) cannot clean up after itself: its service and
    the launcher it opened run on in sessions of their own. The next road ends them."""
    folder = tempfile.gettempdir()
    for name in os.listdir(folder):
        root = os.path.join(folder, name)
        if not name.startswith(ROAD_PREFIX) or not os.path.isdir(root):
            continue
        try:
            owner = int(read_text(os.path.join(root, "owner.pid")))
        except (OSError, ValueError):
            owner = None
        if owner is not None and pid_alive(owner):
            continue
        say(f"ending what an abandoned road left in {root}")
        end_road(root, launchctl_tool)
        shutil.rmtree(root, ignore_errors=True)


class Road:
    """One road's private world: a temporary home folder, a service-manager domain, a virtual
    screen with its session and accessibility buses, the demo download service, and the
    screenshots folder. Use it as a context manager: leaving it ends everything it started."""

    def __init__(self, name):
        self.name = name
        self.build = os.environ["VISTREL_E2E_BUILD_DIR"]
        self.installer_bundle = os.environ["VISTREL_E2E_INSTALLER_BUNDLE"]
        self.launchctl_tool = os.environ["VISTREL_E2E_LAUNCHCTL"]
        self.vendor_program = os.environ["VISTREL_E2E_DEMO_VENDOR"]
        self.demo_package = os.environ["VISTREL_E2E_DEMO_PACKAGE"]
        self.harness_program = os.environ.get("VISTREL_E2E_INSTALL_RUN", "")
        self.shots = os.path.join(self.build, "screenshots", "e2e", name)
        self.artifacts = os.path.join(self.build, "e2e-artifacts", name)
        self.uid = os.getuid()
        self._sessions = []  # session ids of helpers we started in their own sessions
        self._children = []  # Popen objects we started
        self._shot_index = 0
        self.atspi = None

    # --- set-up and clean-up -----------------------------------------------------------------

    def __enter__(self):
        for folder in (self.shots, self.artifacts):
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
        sweep_abandoned_roads(self.launchctl_tool)
        # A space in the home folder's name: every path the programs build must survive it.
        self.root = tempfile.mkdtemp(prefix=ROAD_PREFIX)
        with open(os.path.join(self.root, "owner.pid"), "w") as f:
            f.write(str(os.getpid()))
        self.home = os.path.join(self.root, HOME_NAME)
        self.runtime = os.path.join(self.root, "runtime")
        self.bin = os.path.join(self.root, "bin")
        for folder in (self.home, self.runtime, self.bin):
            os.makedirs(folder)
        os.chmod(self.runtime, 0o700)
        self.opened_urls_file = os.path.join(self.root, "opened-urls.txt")
        # The desktop's URL opener, replaced by one that writes down what it was asked to open.
        opener = os.path.join(self.bin, "xdg-open")
        with open(opener, "w") as f:
            f.write(f'#!/bin/sh\nprintf "%s\\n" "$*" >> "{self.opened_urls_file}"\n')
        os.chmod(opener, 0o755)
        self.env = self._base_environment()
        try:
            self._start_screen()
            self._start_buses()
            self._import_atspi()
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def __exit__(self, kind, value, tb):
        if kind is not None and self.atspi is not None:
            with contextlib.suppress(BaseException):
                self.screenshot("failure")
            with contextlib.suppress(BaseException):
                with open(os.path.join(self.artifacts, "accessibility-tree.txt"), "w") as f:
                    f.write(self.atspi.dump())
        self._clean_up()
        if kind is not None:
            self._print_program_output()
        return False

    def _base_environment(self):
        env = {
            k: v
            for k, v in os.environ.items()
            if not k.startswith(("XDG_", "QT_", "DBUS_", "AT_SPI", "VISTREL_"))
            and k not in ("DISPLAY", "WAYLAND_DISPLAY", "HOME", "LANGUAGE", "LC_ALL", "LC_MESSAGES")
        }
        env.update(
            {
                "HOME": self.home,
                "XDG_RUNTIME_DIR": self.runtime,
                "PATH": self.bin + ":" + os.environ.get("PATH", "/usr/bin:/bin"),
                "LANG": "C.UTF-8",
                "QT_QPA_PLATFORM": "xcb",
                "QT_QUICK_BACKEND": "software",
                "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                "QT_LOGGING_RULES": "qt.qpa.*=false;qt.accessibility.*=false",
            }
        )
        return env

    def _spawn_helper(self, argv, **kwargs):
        process = subprocess.Popen(
            argv, env=self.env, stdin=subprocess.DEVNULL, start_new_session=True, **kwargs
        )
        self._children.append(process)
        self._sessions.append(process.pid)
        return process

    def _start_screen(self):
        read_end, write_end = os.pipe()
        log = open(os.path.join(self.artifacts, "xvfb.log"), "w")
        self._spawn_helper(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_end,), stdout=log, stderr=log,
        )
        os.close(write_end)
        number = self._read_line(read_end, 30, "the virtual screen")
        os.close(read_end)
        self.env["DISPLAY"] = ":" + number
        say(f"virtual screen {self.env['DISPLAY']}")

    def _start_buses(self):
        read_end, write_end = os.pipe()
        self._spawn_helper(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile", f"--print-address={write_end}"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        )
        os.close(write_end)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self._read_line(read_end, 30, "the session bus")
        os.close(read_end)
        self._spawn_helper(
            ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        )

    @staticmethod
    def _read_line(fd, timeout, what):
        data = b""
        deadline = time.monotonic() + timeout
        while b"\n" not in data:
            left = deadline - time.monotonic()
            ready, _, _ = select.select([fd], [], [], max(0, left))
            if not ready:
                raise RoadFailure(f"{what} did not start")
            chunk = os.read(fd, 256)
            if not chunk:
                raise RoadFailure(f"{what} did not start")
            data += chunk
        return data.split(b"\n")[0].decode().strip()

    def _import_atspi(self):
        # pyatspi reaches the buses through this process's environment.
        for key in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
            os.environ[key] = self.env[key]
        import atspidriver

        self.atspi = atspidriver.Driver(self.env)
        wait_until("the accessibility bus", self.atspi.bus_ready, 30, 0.5)

    def _clean_up(self):
        end_road(self.root, self.launchctl_tool, self._sessions, self._children)

    def _print_program_output(self):
        for name in sorted(os.listdir(self.artifacts)):
            if name.endswith(".log"):
                path = os.path.join(self.artifacts, name)
                with open(path, errors="replace") as f:
                    text = f.read()
                if text.strip():
                    print(f"----- {name}\n{text[-6000:]}", flush=True)

    # --- the pieces of the road ------------------------------------------------------------

    @property
    def install_root(self):
        return os.path.join(self.home, "Library", "Application Support", "Vistrel")

    @property
    def plist(self):
        return os.path.join(self.home, "Library", "LaunchAgents", LABEL + ".plist")

    @property
    def launcher_bundle(self):
        return os.path.join(self.home, "Applications", "Vistrel.app")

    @property
    def launcher_executable(self):
        return os.path.join(self.launcher_bundle, "Contents", "MacOS", "Vistrel")

    @property
    def server_executable(self):
        return os.path.join(self.install_root, "TarvikService.app", "Contents", "MacOS", "Tarvik")

    @property
    def logs(self):
        folder = os.path.join(self.home, "Library", "Logs")
        return [os.path.join(folder, "vistrel.log"), os.path.join(folder, "vistrel.error.log")]

    def start_vendor(self):
        process = self._spawn_helper(
            [self.vendor_program, "--package", self.demo_package, "--port", "0"],
            stdout=subprocess.PIPE, stderr=open(os.path.join(self.artifacts, "vendor.log"), "w"),
        )
        self.vendor_origin = self._read_line(process.stdout.fileno(), 30, "the demo download service")
        say(f"download service at {self.vendor_origin}")
        return self.vendor_origin

    def write_installer_defaults(self, **values):
        folder = os.path.join(self.home, ".config", "qelvonet")
        os.makedirs(folder, exist_ok=True)
        lines = ["[General]"] + [f"{k}={v}" for k, v in values.items()]
        with open(os.path.join(folder, "VistrelInstaller.ini"), "w") as f:
            f.write("\n".join(lines) + "\n")

    def start_program(self, executable, log_name, args=(), extra_env=None):
        """Starts a program as this road's child (in its own session, so the clean-up finds
        whatever it leaves behind)."""
        log = open(os.path.join(self.artifacts, log_name + ".log"), "w")
        process = subprocess.Popen(
            [executable, *args], env=dict(self.env, **(extra_env or {})), stdin=subprocess.DEVNULL,
            stdout=log, stderr=subprocess.STDOUT, cwd=self.home, start_new_session=True,
        )
        self._children.append(process)
        self._sessions.append(process.pid)
        return process

    def run_launchctl(self, *args):
        return subprocess.run(
            [self.launchctl_tool, *args], env=self.env, stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120,
        )

    def job_loaded(self):
        """Exit status of the stand-in's print: 0 loaded, 113 no such job."""
        return self.run_launchctl("print", f"gui/{self.uid}/{LABEL}").returncode

    def bootout(self):
        if os.path.exists(self.plist):
            self.run_launchctl("bootout", f"gui/{self.uid}", self.plist)
        else:
            self.run_launchctl("bootout", f"gui/{self.uid}/{LABEL}")

    def server_pids(self):
        return pids_running(self.server_executable)

    def launcher_pids(self):
        return pids_running(self.launcher_executable)

    def opened_urls(self):
        try:
            return read_text(self.opened_urls_file).splitlines()
        except FileNotFoundError:
            return []

    def screenshot(self, stage):
        self._shot_index += 1
        path = os.path.join(self.shots, f"{self._shot_index:02d}-{stage}.png")
        subprocess.run(
            ["import", "-display", self.env["DISPLAY"], "-window", "root", "-trim", "+repage", path],
            env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, timeout=60,
        )
        return path

    # --- input ---------------------------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, stdin=subprocess.DEVNULL, timeout=30)

    def click(self, app, name, role=None, last=False, timeout=30):
        """A real click at the centre of the control, once it is shown and has stopped moving
        (screens slide in, windows are placed after they appear)."""
        deadline = time.monotonic() + timeout
        previous = None
        while True:
            node = self.atspi.wait_for(app, name, role=role, last=last, timeout=max(1, deadline - time.monotonic()))
            try:
                extents = self.atspi.extents(node)
            except Exception:
                extents = None
            if extents is not None and extents == previous and extents[2] > 0 and extents[3] > 0:
                break
            if time.monotonic() > deadline:
                raise RoadFailure(f"{app}: '{name}' does not hold still: {extents}")
            previous = extents
            time.sleep(0.15)
        x, y, w, h = extents
        self.xdotool("mousemove", "--sync", str(x + w // 2), str(y + h // 2))
        self.xdotool("click", "1")
        return node

    def type_into(self, app, name, text):
        self.click(app, name)
        self.xdotool("key", "--clearmodifiers", "ctrl+a")
        self.xdotool("type", "--delay", "60", text)


def run_road(name, body):
    """Runs body(road) inside a Road; exit status 0 on success, 1 on a failed check."""

    def interrupted(signum, frame):
        raise KeyboardInterrupt(f"signal {signum}")

    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, interrupted)
    started = time.monotonic()
    try:
        with Road(name) as road:
            body(road)
    except RoadFailure as failure:
        say(f"FAILED: {failure}")
        return 1
    say(f"passed in {time.monotonic() - started:.0f} s")
    return 0
