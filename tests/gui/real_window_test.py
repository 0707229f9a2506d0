"""Starts the real designer in a real X server, as a person would see it."""
import os
import subprocess
import sys
import time

import xsession

PROGRAM = sys.argv[1]
OUT = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.getcwd(), "real-window.png")
failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what)
    if not cond:
        failures.append(what)


def lock_owner(display):
    try:
        with open(f"/tmp/.X{display.lstrip(':')}-lock") as f:
            return int(f.read().strip())
    except (OSError, ValueError):
        return None


def racing_runs_get_displays_of_their_own():
    """Another run's X server comes up on a display just after this run looked
    at the display's files: this run still gets a server of its own."""
    n = next(n for n in range(140, 200)
             if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"))
    rival = subprocess.Popen(["Xvfb", f":{n}", "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    real_exists = os.path.exists
    try:
        for _ in range(100):
            if lock_owner(f":{n}") == rival.pid:
                break
            time.sleep(0.05)
        hidden = {f"/tmp/.X11-unix/X{n}", f"/tmp/.X{n}-lock"}
        os.path.exists = lambda path: False if str(path) in hidden else real_exists(path)
        with xsession.XServer() as mine:
            check(mine.display != f":{n}" and mine.proc.poll() is None,
                  f"a test run gets its own X server (display {mine.display}, the other run's :{n})")
    finally:
        os.path.exists = real_exists
        rival.terminate()
        rival.wait()


racing_runs_get_displays_of_their_own()
home = xsession.seeded_profile()
log = os.path.join(xsession.forms_folder(home), "FormDesigner-debug.txt")
try:
    with xsession.XServer() as x:
        env = x.env(**xsession.profile_env(home))
        app = subprocess.Popen([PROGRAM], env=env)
        win = x.find_window("Kestrova Form Designer")
        check(win is not None, "the main window appears")
        if win:
            time.sleep(0.5)
            x.screenshot(win, OUT)
            check(os.path.getsize(OUT) > 10000, "a screenshot of the main window was taken: " + OUT)
            geometry = x.xdotool("getwindowgeometry", str(win)).stdout
            check("1008x521" in geometry, "the window has its design size: " + geometry.split("Geometry:")[-1].strip())

            before = open(log, "rb").read()
            started = time.time()
            second = subprocess.run([PROGRAM], env=env, timeout=10)
            elapsed = time.time() - started
            check(second.returncode == 0 and elapsed < 1.0,
                  f"a second instance ends at once ({elapsed:.2f}s, exit {second.returncode})")
            check(open(log, "rb").read() == before, "the second instance writes nothing to the log")

            x.close_window(win)
            try:
                app.wait(timeout=10)
                check(app.returncode == 0, "closing the window ends the program")
            except subprocess.TimeoutExpired:
                check(False, "closing the window ends the program")
        if app.poll() is None:
            app.kill()
    lines = open(log, "rb").read().decode("utf-8").split("\r\n") if os.path.exists(log) else []
    check(len(lines) > 1 and lines[0] == "DEBUG3: FormCreate..." and lines[1] == "DEBUG3: MainForm.FormShow...",
          "the log begins with FormCreate and FormShow: " + repr(lines[:2]))
finally:
    xsession.remove(home)

sys.exit(1 if failures else 0)
