"""Runs the real designer once in German, as a German user of the companion
would: the toolbar and the instruction strip from the German catalogue, and
the Yes/No buttons of a question (Qt's own texts) in German too. Saves a
screenshot of the main window with the question open."""
import os
import re
import signal
import subprocess
import sys
import time

import atspi
import xsession

PROGRAM = sys.argv[1]
SHOT = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.getcwd(), "german-designer.png")
failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)


def present(app, name, role, timeout=5):
    try:
        return atspi.find(app, name, role, timeout=timeout)
    except RuntimeError:
        return None


def click(x, node):
    px, py = atspi.centre(node)
    x.xdotool("mousemove", "--sync", str(px), str(py))
    time.sleep(0.05)
    x.xdotool("click", "1")
    time.sleep(0.3)


def set_language(home, code):
    ini = os.path.join(home, ".config", "Kestrova", "Kestrova.ini")
    with open(ini, "rb") as f:
        text = f.read().decode("utf-8")
    text = re.sub(r"(?m)^Language=.*$", "Language=" + code, text)
    with open(ini, "wb") as f:
        f.write(text.encode("utf-8"))


def session(x, home):
    app = atspi.application("Kestrova Form Designer")
    main = atspi.find(app, "Kestrova Form Designer v2.2", "frame", timeout=30)
    check(main is not None, "the main window shows")
    for name in ["Bild laden", "Rückgängig", "Konfiguration leeren", "Konfiguration bearbeiten", "Land", "Hilfe"]:
        check(present(app, name, "push button") is not None, f"the toolbar shows {name!r}")
    check(present(app, "Load Image", "push button", timeout=0.5) is None, "no English toolbar name is left")
    try:
        strip = atspi.find(app, "EINMAL auf einen Eintrag", startswith=True, timeout=5)
    except RuntimeError:
        strip = None
    check(strip is not None, "the instruction strip is German")

    # A question: its Yes and No are Qt's own texts, from the catalogue.
    click(x, atspi.find(app, "Konfiguration leeren", "push button"))
    yes = present(app, "Ja", "push button", timeout=10)
    no = present(app, "Nein", "push button", timeout=2)
    check(yes is not None and no is not None, "the question offers Ja and Nein")
    check(present(app, "Yes", "push button", timeout=0.5) is None, "no English Yes is left")
    # The screen around the main window: the box is a window of its own on top.
    mx, my, mw, mh = atspi.rect(main)
    subprocess.run(["import", "-window", "root", "-crop", f"{mw}x{mh}+{mx}+{my}", "+repage", SHOT],
                   env=x.env(), check=True)
    if no is not None:
        click(x, no)
        time.sleep(0.5)
        check(present(app, "Nein", "push button", timeout=0.5) is None, "Nein answers the question")

    log = os.path.join(xsession.forms_folder(home), "FormDesigner-debug.txt")
    with open(log, "rb") as f:
        lines = f.read().decode("utf-8").split("\r\n")
    at = lines.index("DEBUG4: Using language de") if "DEBUG4: Using language de" in lines else -1
    check(at >= 0 and lines[at + 1] == "DEBUG3: Loading language: German",
          "the log names the language, then its English name")
    check(not any(line.startswith("ERROR: ") for line in lines), "nothing is logged as an error")


def run():
    home = xsession.seeded_profile()
    set_language(home, "de")
    try:
        with xsession.XServer() as x:
            env = x.env(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **xsession.profile_env(home))
            bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   start_new_session=True)
            time.sleep(1)
            app_proc = subprocess.Popen([PROGRAM], env=env)
            try:
                session(x, home)
            finally:
                if app_proc.poll() is None:
                    app_proc.kill()
                os.killpg(bus.pid, signal.SIGKILL)
                bus.wait()
    finally:
        xsession.remove(home)


run()
print("german: %d failed" % len(failures))
sys.exit(1 if failures else 0)
