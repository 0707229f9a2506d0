"""A private X server and real input for tests that drive the real program."""
import ctypes
import ctypes.util
import os
import select
import shutil
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


class XServer:
    def __init__(self, size="1920x1080x24"):
        self.size = size
        self.proc = None
        self.display = None

    def __enter__(self):
        # Xvfb picks a free display itself and writes its number to the pipe
        # once it accepts connections: no two runs can end up on one display.
        rfd, wfd = os.pipe()
        try:
            self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(wfd), "-screen", "0", self.size,
                                          "-nolisten", "tcp"], pass_fds=(wfd,),
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(wfd)
            wfd = None
            number = b""
            end = time.time() + 30
            while not number.endswith(b"\n") and time.time() < end:
                ready, _, _ = select.select([rfd], [], [], max(0.0, end - time.time()))
                if not ready:
                    break
                chunk = os.read(rfd, 16)
                if not chunk:
                    break
                number += chunk
        finally:
            if wfd is not None:
                os.close(wfd)
            os.close(rfd)
        if not number.strip().isdigit():
            self.proc.kill()
            self.proc.wait()
            raise RuntimeError("cannot start Xvfb")
        self.display = ":" + number.strip().decode()
        return self

    def __exit__(self, *exc):
        if self.proc:
            # Ended politely, the server removes its lock and socket files.
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def env(self, **extra):
        e = dict(os.environ)
        e.update(DISPLAY=self.display, QT_QPA_PLATFORM="xcb", QT_ENABLE_HIGHDPI_SCALING="0")
        e.pop("XDG_RUNTIME_DIR", None)
        e.update(extra)
        return e

    def xdotool(self, *args, check=True):
        r = subprocess.run(["xdotool", *args], env=self.env(), capture_output=True, text=True)
        if check and r.returncode != 0:
            raise RuntimeError(f"xdotool {args}: {r.stderr}")
        return r

    def find_window(self, name, timeout=30.0):
        end = time.time() + timeout
        while time.time() < end:
            r = self.xdotool("search", "--onlyvisible", "--name", name, check=False)
            ids = r.stdout.split()
            if ids:
                return int(ids[0])
            time.sleep(0.1)
        return None

    def screenshot(self, window, path):
        subprocess.run(["import", "-window", str(window), path], env=self.env(), check=True)

    def close_window(self, window):
        """Asks the window to close, as a window manager's close button does."""
        x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        dpy = x11.XOpenDisplay(self.display.encode())
        protocols = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
        delete = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)

        class ClientMessage(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                        ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                        ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                        ("data", ctypes.c_long * 5), ("pad", ctypes.c_char * 96)]

        ev = ClientMessage()
        ev.type = 33  # ClientMessage
        ev.window = window
        ev.message_type = protocols
        ev.format = 32
        ev.data[0] = delete
        ev.data[1] = 0
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
        x11.XSendEvent(dpy, window, 0, 0, ctypes.byref(ev))
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x11.XFlush(dpy)
        x11.XCloseDisplay(dpy)


def seeded_profile():
    """A temporary home seeded with the demo profile."""
    home = tempfile.mkdtemp(prefix="kfd-home-")
    subprocess.run(["bash", os.path.join(ROOT, "scripts", "seed-profile.sh"), home], check=True)
    return home


def profile_env(home):
    # A runtime folder of its own, so that the single-instance token of this
    # run is not shared with any other designer on the machine.
    run = os.path.join(home, "run")
    os.makedirs(run, mode=0o700, exist_ok=True)
    return dict(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"), XDG_RUNTIME_DIR=run)


def forms_folder(home):
    return os.path.join(home, "Documents", "Kestrova", "Forms")


def remove(home):
    shutil.rmtree(home, ignore_errors=True)
