"""Finds the program's windows, buttons, list rows and labels by their visible
text through the accessibility bus, for real input at their rectangles."""
import time

import pyatspi


def _walk(node, depth=0, limit=25):
    if node is None or depth > limit:
        return
    yield node
    try:
        children = list(node)
    except Exception:
        return
    for c in children:
        yield from _walk(c, depth + 1, limit)


def application(name, timeout=30.0):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    raise RuntimeError(f"no application {name!r} on the accessibility bus")


def find(root, name=None, role=None, timeout=10.0, showing=True, startswith=False):
    """The first element below root with the visible text and role given."""
    end = time.time() + timeout
    while True:
        for node in _walk(root):
            try:
                n, r = node.name, node.getRoleName()
            except Exception:
                continue
            if role is not None and r != role:
                continue
            if name is not None and not (n.startswith(name) if startswith else n == name):
                continue
            if showing:
                try:
                    if not node.getState().contains(pyatspi.STATE_SHOWING):
                        continue
                except Exception:
                    continue
            return node
        if time.time() > end:
            raise RuntimeError(f"no {role or 'element'} {name!r} found")
        time.sleep(0.2)


def rect(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def centre(node):
    x, y, w, h = rect(node)
    return x + w // 2, y + h // 2


def text_of(node):
    try:
        t = node.queryText()
        return t.getText(0, t.characterCount)
    except Exception:
        return node.name
