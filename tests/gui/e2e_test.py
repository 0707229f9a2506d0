"""Works the real designer as a person would: real X input in a real X server,
controls found by their visible text. Loads a known form, places one key by a
click and one as a box, saves; then saves an unknown image under a new custom
key through the selection dialog."""
import os
import shutil
import signal
import subprocess
import sys
import time

import atspi
import xsession

PROGRAM = sys.argv[1]
SHOT = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.getcwd(), "laid-out-form.png")
failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Person:
    def __init__(self, x):
        self.x = x

    def move(self, px, py):
        self.x.xdotool("mousemove", "--sync", str(px), str(py))
        time.sleep(0.05)

    def click(self, node, button=1):
        px, py = atspi.centre(node)
        self.move(px, py)
        self.x.xdotool("click", str(button))
        time.sleep(0.3)

    def pick(self, row):
        # A row is as wide as the list's scroll extent, wider than the list:
        # click on its text near the left edge, which is always in view.
        rx, ry, rw, rh = atspi.rect(row)
        self.click_at(rx + min(rw // 2, 60), ry + rh // 2)

    def click_at(self, px, py, button=1):
        self.move(px, py)
        self.x.xdotool("click", str(button))
        time.sleep(0.3)

    def drag(self, x0, y0, x1, y1, button, shot_during=None):
        self.move(x0, y0)
        self.x.xdotool("mousedown", str(button))
        steps = 8
        for i in range(1, steps + 1):
            self.move(x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
        if shot_during:  # the whole screen: the overlay is a window of its own
            time.sleep(0.3)
            self.x.screenshot("root", shot_during)
        self.x.xdotool("mouseup", str(button))
        time.sleep(0.3)

    def type(self, text):
        self.x.xdotool("type", "--delay", "20", text)

    def key(self, *keys):
        self.x.xdotool("key", *keys)
        time.sleep(0.2)


def present(root, name=None, role=None, timeout=10.0, startswith=False):
    """The element, or None when it does not show within the timeout."""
    try:
        return atspi.find(root, name, role, timeout=timeout, startswith=startswith)
    except RuntimeError:
        return None


def open_image(person, app, path):
    person.click(atspi.find(app, "Load Image", "push button"))
    dialog = atspi.find(app, role="dialog", timeout=15)
    # Without a window manager the keyboard follows the pointer.
    dx, dy, dw, dh = atspi.rect(dialog)
    person.move(dx + dw // 2, dy + 10)
    time.sleep(0.3)
    person.type(path)
    time.sleep(0.5)
    person.key("Return")
    for _ in range(20):  # the name field's completer may take the first Return
        time.sleep(0.3)
        try:
            atspi.find(app, role="dialog", timeout=0.1)
        except RuntimeError:
            return True
        person.key("Return")
    return False


def run():
    home = xsession.seeded_profile()
    forms = xsession.forms_folder(home)
    nz = os.path.join(forms, "New Zealand")
    shutil.copy(os.path.join(nz, "Example Form.png"), os.path.join(nz, "My Scan.png"))
    try:
        with xsession.XServer() as x:
            env = x.env(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **xsession.profile_env(home))
            # Its own process group, so that the bus daemon it starts goes with
            # it and no daemon keeps the test's output open after the run.
            bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   start_new_session=True)
            time.sleep(1)
            procs = [subprocess.Popen([PROGRAM], env=env)]
            try:
                session(x, home, forms, nz)
                closing(x, env, procs)
            finally:
                for p in procs:
                    if p.poll() is None:
                        p.kill()
                        p.wait()
                os.killpg(bus.pid, signal.SIGKILL)
                bus.wait()
    finally:
        xsession.remove(home)


def session(x, home, forms, nz):
    app = atspi.application("Kestrova Form Designer")
    person = Person(x)
    main = present(app, "Kestrova Form Designer v2.2", "frame", timeout=30)
    check(main is not None, "the main window shows")

    # 1. A form the catalogue knows.
    check(open_image(person, app, os.path.join(nz, "Example Form.png")), "the file dialog opens the form")
    time.sleep(1)
    main = atspi.find(app, "Kestrova Form Designer v2.2", "frame")
    mx, my, mw, mh = atspi.rect(main)
    # The image area starts 2 pixels right of the window's left edge and 21
    # below its top (toolbar and border).
    ix, iy = mx + 2, my + 21

    person.pick(atspi.find(app, "Surname,Family name of the person", "list item"))
    person.move(ix + 100, iy + 255)
    person.move(ix + 102, iy + 258)
    person.click_at(ix + 102, iy + 258)
    person.pick(atspi.find(app, "Notes,Free notes", "list item"))
    person.drag(ix + 100, iy + 645, ix + 700, iy + 900, 3, shot_during=SHOT.replace(".png", "-box-drag.png"))
    person.move(ix + 400, iy + 400)
    x.screenshot(x.find_window("Kestrova Form Designer"), SHOT)

    person.click(atspi.find(app, "Save Config", "push button"))
    time.sleep(0.5)
    cfg = os.path.join(nz, "Example Form.cfg")
    check(os.path.exists(cfg), "the layout file is written")
    if os.path.exists(cfg):
        lines = read(cfg).decode("cp1252").split("\r\n")
        check(lines == ["Surname,115,252", "Notes,113,639,587,261", ""],
              f"the layout file holds the click and the box: {lines}")
    # The notice draws its text as a picture: its close button is what shows.
    check(present(app, "X", "push button", timeout=3) is not None, "the notice appears")
    custom = read(os.path.join(forms, "CustomFormAliases.ini")).decode("cp1252")
    check("ExampleForm=Example Form" in custom, "the user's catalogue holds the form's line")

    # 2. An image the catalogue does not know: saved under a new custom key.
    check(open_image(person, app, os.path.join(nz, "My Scan.png")), "the file dialog opens the unknown image")
    time.sleep(1)
    # The key comes from the keyboard: the row above it clicked, then Down.
    person.pick(atspi.find(app, "Address,Street, suburb and city on several lines", "list item"))
    person.key("Down")
    person.click_at(ix + 650, iy + 358)
    person.click(atspi.find(app, "Save Config", "push button"))
    message = present(app, "The Form is not yet available in the Configuration file.", startswith=True)
    lines = atspi.text_of(message).replace("\r\n", "\n").split("\n") if message else []
    check(lines == ["The Form is not yet available in the Configuration file.",
                    "Please select which Kestrova Form this from the list,",
                    "or make a NEW entry for this Form."],
          f"the three-line message appears: {lines}")
    person.click(atspi.find(app, "OK", "push button"))
    select = atspi.find(app, "Select Config", "dialog", timeout=10)
    person.click(atspi.find(select, "New Config", "push button"))
    time.sleep(0.5)
    custom = read(os.path.join(forms, "CustomFormAliases.ini")).decode("cp1252")
    check("CustomForm-0=My Scan" in custom, "the unknown image is saved under CustomForm-0")
    layout = read(os.path.join(nz, "My Scan.cfg")).decode("cp1252")
    check(layout == "Phone,663,352\r\n", f"its layout file holds the key chosen by the keyboard: {layout!r}")


def closing(x, env, procs):
    """Closing the main window ends the program with the debug and help
    windows open; a new start then runs."""
    app = atspi.application("Kestrova Form Designer")
    person = Person(x)
    person.click(atspi.find(app, "Debug", "push button"))
    person.click(atspi.find(app, "Help", "push button"))
    check(x.find_window("^DebugForm$", timeout=10) is not None, "the debug window is open")
    check(x.find_window("^Kestrova Help$", timeout=10) is not None, "the help window is open")
    win = x.find_window("^Kestrova Form Designer v2.2$")
    check(win is not None, "the main window is found to close")
    if win is None:
        return
    x.close_window(win)
    try:
        procs[0].wait(timeout=15)
        check(procs[0].returncode == 0, f"closing the main window ends the program (exit {procs[0].returncode})")
    except subprocess.TimeoutExpired:
        check(False, "closing the main window ends the program (it still runs)")
        return
    procs.append(subprocess.Popen([PROGRAM], env=env))
    again = x.find_window("^Kestrova Form Designer v2.2$", timeout=30)
    check(again is not None and procs[1].poll() is None, "a new start shows its main window")
    if again is not None:
        x.close_window(again)
        try:
            procs[1].wait(timeout=15)
        except subprocess.TimeoutExpired:
            pass
        check(procs[1].returncode == 0, "which closes as well")


run()
print("e2e: %d failed" % len(failures))
sys.exit(1 if failures else 0)
