"""Finding and reading the programs' controls through the accessibility bus.

Imported only after the road has put its private session bus into the environment. Nothing is
cached on our side: every look-up walks the application's tree afresh, and the library's own
cache is switched off for each application (nothing here runs an event loop that would keep it
current).
"""

import time

import pyatspi
from gi.repository import Atspi


class Node:
    __slots__ = ("name", "role", "showing", "depth", "accessible")

    def __init__(self, name, role, showing, depth, accessible):
        self.name = name
        self.role = role
        self.showing = showing
        self.depth = depth
        self.accessible = accessible


class Driver:
    def __init__(self, env):
        self.env = env

    def bus_ready(self):
        try:
            pyatspi.Registry.getDesktop(0).childCount
            return True
        except Exception:
            return False

    def application(self, app_name):
        try:
            desktop = pyatspi.Registry.getDesktop(0)
            count = desktop.childCount
        except Exception:
            return None
        for i in range(count):
            try:
                app = desktop.getChildAtIndex(i)
                if app is not None and app.name == app_name:
                    app.set_cache_mask(Atspi.Cache.NONE)
                    app.clear_cache()
                    return app
            except Exception:
                continue
        return None

    def nodes(self, app_name):
        app = self.application(app_name)
        if app is None:
            return []
        out = []
        stack = [(app, 0)]
        while stack:
            accessible, depth = stack.pop()
            try:
                name = accessible.name or ""
                role = accessible.getRoleName()
                showing = accessible.getState().contains(pyatspi.STATE_SHOWING)
                count = accessible.childCount
            except Exception:
                continue
            out.append(Node(name, role, showing, depth, accessible))
            children = []
            for i in range(count):
                try:
                    child = accessible.getChildAtIndex(i)
                except Exception:
                    child = None
                if child is not None:
                    children.append((child, depth + 1))
            stack.extend(reversed(children))
        return out

    def find(self, app_name, name, role=None, last=False, showing=True):
        found = None
        for node in self.nodes(app_name):
            if node.name == name and (role is None or node.role == role) and (node.showing or not showing):
                if not last:
                    return node
                found = node
        return found

    def wait_for(self, app_name, name, role=None, last=False, timeout=30):
        deadline = time.monotonic() + timeout
        while True:
            node = self.find(app_name, name, role=role, last=last)
            if node is not None:
                return node
            if time.monotonic() > deadline:
                from e2elib import RoadFailure

                shown = sorted({n.name for n in self.nodes(app_name) if n.name and n.showing})
                raise RoadFailure(f"{app_name}: no '{name}' shown after {timeout:.0f} s; shown: {shown}")
            time.sleep(0.25)

    def names(self, app_name, role=None):
        return [n.name for n in self.nodes(app_name) if n.showing and (role is None or n.role == role)]

    def visible_lines(self, app_name, list_name):
        """The texts of the lines of the list called list_name that are scrolled into its view,
        top to bottom; None when there is no such list. (A list view keeps some lines outside
        its view alive too, not always contiguous ones: only what is in view counts.)"""
        for node in self.nodes(app_name):
            if node.name != list_name or node.role != "list":
                continue
            try:
                _, top, _, height = self.extents(node)
                lines = []
                for i in range(node.accessible.childCount):
                    child = node.accessible.getChildAtIndex(i)
                    if child is None or child.getRoleName() != "label":
                        continue
                    e = child.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                    middle = e.y + e.height / 2
                    if top <= middle <= top + height:
                        lines.append((e.y, child.name or ""))
            except Exception:
                return None
            lines.sort(key=lambda item: item[0])
            return [text for _, text in lines]
        return None

    @staticmethod
    def child_names(node):
        try:
            count = node.accessible.childCount
            return [node.accessible.getChildAtIndex(i).name for i in range(count)]
        except Exception:
            return []

    def text_of(self, node):
        try:
            text = node.accessible.queryText()
            return text.getText(0, text.characterCount)
        except Exception:
            return None

    def centre(self, node):
        e = node.accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return e.x + e.width // 2, e.y + e.height // 2

    def extents(self, node):
        e = node.accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height

    def applications(self):
        names = []
        try:
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None:
                    names.append(app.name)
        except Exception:
            pass
        return names

    def dump(self):
        lines = []
        for app_name in self.applications():
            lines.append(f"application '{app_name}'")
            for node in self.nodes(app_name):
                try:
                    x, y, w, h = self.extents(node)
                    where = f" {x},{y} {w}x{h}"
                except Exception:
                    where = ""
                hidden = "" if node.showing else " (hidden)"
                lines.append("  " * (node.depth + 1) + f"{node.role} '{node.name}'{where}{hidden}")
        return "\n".join(lines) + "\n"
