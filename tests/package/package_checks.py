"""Checks of the Debian package, one step per run:

    package_checks.py --build DIR --source DIR --version X.Y --work DIR STEP

build                     cpack makes the package; dpkg -x unpacks it into WORK/root
control                   name, version, maintainer, description, dependencies from shlibdeps
desktop_entry             desktop-file-validate; its command and icon are in the package
metainfo                  appstreamcli validate --no-net; release, licence, launchable, screenshots
lintian                   lintian reports no errors
embedded_catalogues       the installed program carries its catalogues; a locale folder beside it wins
installed_starts          the unpacked program starts under Xvfb on a German profile
installed_german_toolbar  ... and shows its toolbar in German (accessibility bus)
"""
import argparse
import glob
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "gui"))

APP_ID = "org.kestrova.FormDesigner"
PACKAGE = "kestrova-form-designer"
LICENCE = "GPL-3.0-or-later"
# The main window's toolbar buttons, as the sources name them.
TOOLBAR = ["Load Image", "Undo", "Save Config", "Clear Config", "Edit Config", "Country", "&Help", "Debug"]

failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)
    return cond


def run(*cmd, **kw):
    return subprocess.run(list(cmd), capture_output=True, text=True, **kw)


class Paths:
    def __init__(self, a):
        self.build, self.source, self.version, self.work = a.build, a.source, a.version, a.work
        self.out = os.path.join(self.work, "out")
        self.root = os.path.join(self.work, "root")
        self.arch = run("dpkg", "--print-architecture").stdout.strip()
        self.deb = os.path.join(self.out, f"{PACKAGE}_{self.version}_{self.arch}.deb")
        self.command = os.path.join(self.root, "usr", "bin", PACKAGE)
        self.tool = os.path.join(self.root, "usr", "bin", "formdesigner-i18n")
        self.share = os.path.join(self.root, "usr", "share")

    def program(self):
        return os.path.realpath(self.command)

    def lookup(self, text, *extra):
        r = run(self.tool, "lookup", "--lang", "de", *extra, text)
        return r.stdout.rstrip("\n"), r.stderr


def step_build(p):
    shutil.rmtree(p.work, ignore_errors=True)
    os.makedirs(p.out)
    r = run("cpack", "--config", os.path.join(p.build, "CPackConfig.cmake"), "-G", "DEB", "-B", p.out)
    print(r.stdout[-3000:], r.stderr[-3000:])
    check(r.returncode == 0, "cpack -G DEB builds the package")
    debs = sorted(os.path.basename(f) for f in glob.glob(os.path.join(p.out, "*.deb")))
    check(debs == [os.path.basename(p.deb)], f"the package is named {os.path.basename(p.deb)}: {debs}")
    if os.path.exists(p.deb):
        r = run("dpkg", "-x", p.deb, p.root)
        check(r.returncode == 0, "dpkg -x unpacks it into a scratch folder: " + r.stderr)


def step_control(p):
    def field(name):
        return run("dpkg-deb", "-f", p.deb, name).stdout.strip()

    check(field("Package") == PACKAGE, "Package: " + field("Package"))
    check(field("Version") == p.version, f"Version is the project's {p.version}: " + field("Version"))
    check(field("Architecture") == p.arch, "Architecture: " + field("Architecture"))
    check(re.fullmatch(r"[^<>]+ <[^<>@\s]+@[^<>@\s]+>", field("Maintainer")) is not None,
          "Maintainer: " + field("Maintainer"))
    description = field("Description").split("\n")
    check(len(description) > 2 and description[0] and description[1].strip() != description[0].strip(),
          "a summary and a longer description")
    depends = [d.strip() for d in field("Depends").split(",")]
    names = [d.split()[0] for d in depends if d]
    # Worked out from the binaries by dpkg-shlibdeps, with the versions it requires.
    for lib in ["libc6", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libstdc++6"]:
        check(any(d.startswith(lib + " (>= ") for d in depends), f"Depends names {lib} with a version")
    check("qt6-qpa-plugins" in names, "Depends names Qt's platform plugins (loaded at run time)")
    check(len(names) == len(set(names)), "no dependency twice: " + ", ".join(names))


def read_desktop(path):
    entries = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if "=" in line and not line.startswith("#"):
                k, v = line.rstrip("\n").split("=", 1)
                entries[k] = v
    return entries


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def step_desktop_entry(p):
    desktop = os.path.join(p.share, "applications", APP_ID + ".desktop")
    if not check(os.path.isfile(desktop), "the desktop entry is installed: " + desktop):
        return
    r = run("desktop-file-validate", desktop)
    print(r.stdout, r.stderr)
    check(r.returncode == 0 and "error:" not in r.stdout, "desktop-file-validate passes")
    entry = read_desktop(desktop)
    command = entry.get("Exec", "").split()[0] if entry.get("Exec") else ""
    check(command == PACKAGE, "the menu entry starts the command " + command)
    target = os.path.join(p.root, "usr", "bin", command)
    program = os.path.realpath(target)
    check(program.startswith(os.path.join(p.root, "usr", "libexec") + os.sep) and os.access(program, os.X_OK),
          f"/usr/bin/{command} leads to the program in its own folder: {os.path.relpath(program, p.root)}")
    with open(program, "rb") as f:
        check(f.read(4) == b"\x7fELF", "the program is an ELF executable")
    icon = entry.get("Icon", "")
    hicolor = os.path.join(p.share, "icons", "hicolor")
    check(os.path.isfile(os.path.join(hicolor, "scalable", "apps", icon + ".svg")), "the icon as SVG: " + icon)
    for size in (16, 24, 32, 48, 64, 128, 256):
        png = os.path.join(hicolor, f"{size}x{size}", "apps", icon + ".png")
        check(os.path.isfile(png) and png_size(png) == (size, size), f"the icon as a {size}x{size} PNG")


def step_metainfo(p):
    metainfo = os.path.join(p.share, "metainfo", APP_ID + ".metainfo.xml")
    if not check(os.path.isfile(metainfo), "the metainfo is installed: " + metainfo):
        return
    r = run("appstreamcli", "validate", "--no-net", "--pedantic", metainfo)
    print(r.stdout, r.stderr)
    check(r.returncode == 0, "appstreamcli validate --no-net passes")
    root = ET.parse(metainfo).getroot()
    check(root.findtext("id") == APP_ID, "its id is " + APP_ID)
    check(root.findtext("project_license") == LICENCE, "the project's licence is " + LICENCE)
    check(root.findtext("launchable") == APP_ID + ".desktop", "it launches the desktop entry")
    check(bool(root.findtext("summary")) and root.find("description") is not None, "a summary and a description")
    releases = [r.get("version") for r in root.iter("release")]
    check(releases[:1] == [p.version], f"the latest release is the project's {p.version}: {releases}")
    check(root.find("content_rating") is not None, "a content rating")
    shots = [i.text.rsplit("/", 1)[-1] for i in root.iter("image")]
    check(bool(shots) and all(os.path.isfile(os.path.join(p.source, "docs", s)) for s in shots),
          "every screenshot is one of docs/: " + ", ".join(shots))
    with open(os.path.join(p.share, "doc", PACKAGE, "copyright"), encoding="utf-8") as f:
        copyright = f.read()
    check(f"License: {LICENCE}\n" in copyright and "/usr/share/common-licenses/GPL-3" in copyright,
          "the package's copyright file names " + LICENCE)
    with open(os.path.join(p.source, "LICENSE"), encoding="utf-8") as f:
        licence = f.read(400)
    check("GNU GENERAL PUBLIC LICENSE" in licence and "Version 3, 29 June 2007" in licence,
          "LICENSE holds the GNU GPL version 3")


def step_lintian(p):
    r = run("lintian", "--fail-on", "error", "--display-info", p.deb)
    print(r.stdout, r.stderr)
    errors = [line for line in r.stdout.splitlines() if line.startswith("E:")]
    check(r.returncode == 0 and not errors, "lintian reports no errors")


def step_embedded_catalogues(p):
    program = p.program()
    folder = os.path.dirname(program)
    check(not os.path.exists(os.path.join(folder, "locale")), "no locale folder is installed beside the program")
    expected = sorted(os.path.relpath(mo, p.build)
                      for mo in glob.glob(os.path.join(p.build, "locale", "*", "LC_MESSAGES", "*.mo")))
    listed = sorted(line.split("\t")[0] for line in run(p.tool, "list", program).stdout.splitlines())
    check(bool(expected) and listed == expected, f"the program file holds every catalogue: {listed}")

    # Answered from inside the program file as from the built catalogue.
    built, _ = p.lookup("Load Image", "--dir", os.path.join(p.build, "locale"))
    got, log = p.lookup("Load Image", "--program", program)
    check(built != "Load Image", f"the built German catalogue translates \"Load Image\": {built!r}")
    check(got == built, f"the installed program's own catalogue says {got!r}")
    check(f"will attempt to use this embedded file: {folder}/locale/de/LC_MESSAGES/default.mo" in log,
          "the runtime reads it from inside the program file")

    # A locale folder beside the program still takes precedence.
    with tempfile.TemporaryDirectory() as tmp:
        copy = os.path.join(tmp, os.path.basename(program))
        shutil.copy2(program, copy)
        messages = os.path.join(tmp, "locale", "de", "LC_MESSAGES")
        os.makedirs(messages)
        po = os.path.join(tmp, "de.po")
        with open(po, "w", encoding="utf-8") as f:
            f.write('msgid ""\nmsgstr "Content-Type: text/plain; charset=UTF-8\\n"\n\n'
                    'msgid "Load Image"\nmsgstr "Bild aus dem Ordner"\n')
        run("msgfmt", "-o", os.path.join(messages, "default.mo"), po, check=True)
        got, log = p.lookup("Load Image", "--program", copy)
        check(got == "Bild aus dem Ordner", f"a locale folder beside the program wins: {got!r}")


def german_profile():
    import xsession
    home = xsession.seeded_profile()
    ini = os.path.join(home, ".config", "Kestrova", "Kestrova.ini")
    with open(ini, encoding="utf-8") as f:
        text = f.read()
    with open(ini, "w", encoding="utf-8") as f:
        f.write(re.sub(r"(?m)^Language=.*$", "Language=de", text))
    return home


def clear_language(env):
    # The language comes from the profile alone, as on a desktop without LANG.
    for name in ("LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES"):
        env.pop(name, None)


def read_log(home):
    import xsession
    path = os.path.join(xsession.forms_folder(home), "FormDesigner-debug.txt")
    return open(path, "rb").read().decode("utf-8", "replace") if os.path.exists(path) else ""


def window_class(display, window):
    """The window's WM_CLASS (instance and class), as a desktop matches it to its menu entry."""
    import ctypes
    import ctypes.util

    class XClassHint(ctypes.Structure):
        _fields_ = [("res_name", ctypes.c_char_p), ("res_class", ctypes.c_char_p)]

    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XGetClassHint.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(XClassHint)]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(display.encode())
    hint = XClassHint()
    names = []
    if dpy and x11.XGetClassHint(dpy, window, ctypes.byref(hint)):
        names = [(hint.res_name or b"").decode(), (hint.res_class or b"").decode()]
    if dpy:
        x11.XCloseDisplay(dpy)
    return names


def step_installed_starts(p):
    import xsession
    home = german_profile()
    try:
        with xsession.XServer() as x:
            env = x.env(**xsession.profile_env(home))
            clear_language(env)
            app = subprocess.Popen([p.command], env=env)
            try:
                win = x.find_window(f"Kestrova Form Designer v{p.version}")
                check(win is not None, f"the installed program shows \"Kestrova Form Designer v{p.version}\"")
                if win:
                    wm_class = window_class(x.display, win)
                    entry = read_desktop(os.path.join(p.share, "applications", APP_ID + ".desktop"))
                    check(entry.get("StartupWMClass") in wm_class,
                          f"the menu entry's StartupWMClass matches the window's class {wm_class}")
                    time.sleep(0.5)
                    shot = os.path.join(p.work, "installed.png")
                    x.screenshot(win, shot)
                    print("screenshot: " + shot)
                    x.close_window(win)
                    app.wait(timeout=10)
                    check(app.returncode == 0, "closing the window ends it")
            finally:
                if app.poll() is None:
                    app.kill()
        check("Using language de" in read_log(home), "it takes German from the profile")
    finally:
        xsession.remove(home)


def step_installed_german_toolbar(p):
    import signal

    import atspi
    import xsession
    program = p.program()
    wanted = {}
    for caption in TOOLBAR:
        german, _ = p.lookup(caption, "--program", program)
        wanted[caption] = german.replace("&", "")
    check(wanted["Load Image"] != "Load Image", f"the catalogue inside the program translates the toolbar: {wanted}")
    home = german_profile()
    try:
        with xsession.XServer() as x:
            env = x.env(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **xsession.profile_env(home))
            clear_language(env)
            bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
            time.sleep(1)
            app_proc = subprocess.Popen([p.command], env=env)
            try:
                app = atspi.application("Kestrova Form Designer")
                win = x.find_window("Kestrova Form Designer")
                if win:
                    time.sleep(0.5)
                    shot = os.path.join(p.work, "installed-german.png")
                    x.screenshot(win, shot)
                    print("screenshot: " + shot)
                for caption, german in wanted.items():
                    try:
                        atspi.find(app, german, "push button", timeout=5 if caption == TOOLBAR[0] else 1)
                        found = True
                    except Exception:
                        found = False
                    check(found, f"the toolbar shows {german!r} for {caption!r}")
            finally:
                if app_proc.poll() is None:
                    app_proc.kill()
                os.killpg(bus.pid, signal.SIGKILL)
                bus.wait()
        catalogue = f"{os.path.dirname(program)}/locale/de/LC_MESSAGES/default.mo"
        check(f"will attempt to use this embedded file: {catalogue}" in read_log(home),
              "the debug log shows the catalogue read from inside the program file")
    finally:
        xsession.remove(home)


def main():
    parser = argparse.ArgumentParser()
    for option in ("--build", "--source", "--version", "--work"):
        parser.add_argument(option, required=True)
    parser.add_argument("step")
    args = parser.parse_args()
    step = globals().get("step_" + args.step)
    if step is None:
        parser.error("no such step: " + args.step)
    p = Paths(args)
    if args.step != "build" and not os.path.isfile(p.deb):
        check(False, "the package was built (package_build)")
    else:
        step(p)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
