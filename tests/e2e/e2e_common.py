"""What the end-to-end tests share: a temporary home with a Favorites folder, a loopback web
server, the program's windows as xdotool sees them, and the files' stored state."""
import atexit
import ctypes
import ctypes.util
import http.server
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time

FAVRAKE, OUT = sys.argv[1], sys.argv[2]
ROOT = tempfile.mkdtemp(prefix="favrake-e2e-")
HOME = os.path.join(ROOT, "home")
FAV = os.path.join(HOME, "Favorites")
CONFIG = os.path.join(HOME, ".config")
DATA = os.path.join(HOME, ".local", "share")
OPENED = os.path.join(ROOT, "opened.log")
os.makedirs(CONFIG)
SCREEN_W, SCREEN_H = 1280, 1024
KEPT = "BFF0000000000000"  # -1.0, kept for good
LANG = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "lang")


def fail(message):
    print("FAIL:", message)
    subprocess.run(["import", "-window", "root", os.path.join(OUT, "e2e-failure.png")])
    sys.exit(1)


def start_display():
    """A virtual screen of this run's own: the X server picks a free display number itself and
    names it once it takes connections, so runs started side by side never share one."""
    ready, announce = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(announce), "-screen", "0",
                               "%dx%dx24" % (SCREEN_W, SCREEN_H), "-nolisten", "tcp"],
                              pass_fds=(announce,), stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    os.close(announce)
    atexit.register(lambda: (server.kill(), server.wait()))
    with os.fdopen(ready) as named:
        number = named.readline().strip()
    if not number:
        sys.exit("FAIL: the virtual screen did not start")
    os.environ["DISPLAY"] = ":" + number


start_display()


def within(seconds, condition):
    """Polls condition until it gives a true value, which it returns; None at the deadline."""
    end = time.time() + seconds
    while time.time() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    return None


def wait_for(what, condition, seconds=30):
    return within(seconds, condition) or fail("timed out waiting for " + what)


X11 = ctypes.CDLL(ctypes.util.find_library("X11"))
X11.XOpenDisplay.restype = ctypes.c_void_p
X11.XOpenDisplay.argtypes = [ctypes.c_char_p]
X11.XDefaultRootWindow.restype = ctypes.c_ulong
X11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
X11.XGrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_int, ctypes.c_ulong]
X11.XUngrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
X11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
X_DISPLAY = X11.XOpenDisplay(os.environ["DISPLAY"].encode())
ALREADY_GRABBED = 1


def keyboard_taken():
    """Whether a program holds the keyboard, as an open menu does: then it is not ours to take."""
    status = X11.XGrabKeyboard(X_DISPLAY, X11.XDefaultRootWindow(X_DISPLAY), 0, 1, 1, 0)
    if status != ALREADY_GRABBED:
        X11.XUngrabKeyboard(X_DISPLAY, 0)
    X11.XSync(X_DISPLAY, 0)
    return status == ALREADY_GRABBED


def focus():
    """The window that has the keyboard focus."""
    return xdo("getwindowfocus", "-f").strip()


def focused(window):
    """Gives window the keyboard focus, as a click on it would, so that keys typed next reach
    it; waits until it has it."""
    def has_focus():
        xdo("windowactivate", window[0])
        return focus() == window[0]

    wait_for("the focus on " + xdo("getwindowname", window[0]).strip(), has_focus, 10)


def keys_to_menu(*keys):
    """Types keys into the menu just opened, once it holds the keyboard."""
    wait_for("the menu to take the keyboard", keyboard_taken, 10)
    xdo("key", *keys)


TITLES = {
    "a": ("Grandma's Recipes", "Bread, cakes and soups from an old family notebook"),
    "b": ("Python Tutorial", "Learn the language step by step, with exercises"),
    "c": ("The Daily Paper", "News from the town and the region"),
    "d": ("Weather Radar", "Rain and storm maps, updated every five minutes"),
    "k": ("Kept Page", "A page that is kept for good"),
}


class Pages(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        name = self.path.strip("/").split("/")[-1].split(".")[0]
        if name == "gone":
            self.send_error(404)
            return
        title, about = TITLES.get(name, ("Other", "Other page"))
        body = ("<html><head><title>%s</title><meta name=\"description\" "
                "content=\"%s\"></head><body>x</body></html>" % (title, about)).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def write(path, text, mtime=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(text.encode())
    if mtime:
        os.utime(path, (mtime, mtime))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def state(path, key, section_name="[Merkwerk]"):
    """A value of the program's own section (or another), as stored."""
    section = False
    for line in read(path).decode("latin-1").splitlines():
        if line.startswith("["):
            section = line.strip() == section_name
        elif section and line.split("=", 1)[0] == key:
            return line.split("=", 1)[1]
    return None


def hex_text(value):
    return bytes.fromhex(value).decode("utf-16-be") if value else ""


def hex_time(value):
    return struct.unpack(">d", bytes.fromhex(value))[0]


def hex_day(days):
    """A point in time as the program stores it."""
    return struct.pack(">d", days).hex().upper()


def write_due(path, url):
    """A bookmark refreshed yesterday and due for review at once."""
    write(path, "[InternetShortcut]\r\nURL=%s\r\n[Merkwerk]\r\nRefreshed=%s\r\nRefreshState=0\r\n"
          "RemindTime=%s\r\n" % (url, hex_day(now_days() - 1), hex_day(1.0)))


def install_languages():
    shutil.copytree(LANG, os.path.join(DATA, "favrake", "lang"))


def now_days():
    t = time.localtime()
    return (time.mktime(t) + t.tm_gmtoff) / 86400.0 + 25569.0


def xdo(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout


def windows(pid):
    """The program's visible windows, top to bottom, as (id, x, y, w, h)."""
    return sorted(geometries(xdo("search", "--onlyvisible", "--pid", str(pid))), key=lambda w: w[2])


def column(pid):
    """Main window, bookmark windows and speed bar of the column beside the taskbar."""
    return [w for w in windows(pid) if w[3] == 140]


def still_column(pid):
    """The column once it has closed its gaps, each window standing on the next."""
    shown = column(pid)
    return shown if all(a[2] + a[4] == b[2] for a, b in zip(shown, shown[1:])) else None


def dialogs(pid):
    """The program's dialogs: wider than the column; the tray icon's own window is smaller."""
    return [w for w in windows(pid) if w[3] > 200]


def named(pid, title):
    """The program's dialogs whose window title holds title."""
    return [w for w in dialogs(pid) if title in xdo("getwindowname", w[0])]


def answer_yes(pid):
    """Answers the confirmation the program asks now with Yes."""
    question = wait_for("the question", lambda: named(pid, "Confirmation"))[0]
    focused(question)
    xdo("key", "Return")


def click(window, x, y, button=1):
    """Clicks at x, y in window once the pointer stands there."""
    at = "x:%d y:%d " % (window[1] + x, window[2] + y)
    xdo("mousemove", str(window[1] + x), str(window[2] + y))
    wait_for("the pointer at " + at, lambda: xdo("getmouselocation").startswith(at), 10)
    xdo("click", str(button))


def serve_pages():
    """A loopback web server for the bookmarks' pages; returns it and its base address."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Pages)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, "http://127.0.0.1:%d/" % server.server_address[1]


def write_settings(text):
    write(os.path.join(CONFIG, "Favrake.ini"), text)


def environment():
    """The program's environment: the temporary home, and an opener that only logs."""
    bin_dir = os.path.join(ROOT, "bin")
    write(os.path.join(bin_dir, "xdg-open"), "#!/bin/sh\necho \"$@\" >> '%s'\n" % OPENED)
    os.chmod(os.path.join(bin_dir, "xdg-open"), 0o755)
    runtime = os.path.join(ROOT, "runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    env = dict(os.environ, HOME=HOME, XDG_CONFIG_HOME=CONFIG, XDG_DATA_HOME=DATA,
               XDG_CACHE_HOME=os.path.join(HOME, ".cache"), XDG_RUNTIME_DIR=runtime,
               FAVRAKE_FAVORITES=FAV, PATH=bin_dir + ":" + os.environ["PATH"],
               QT_QPA_PLATFORM="xcb", LANG="C.UTF-8")
    env.pop("BROWSER", None)
    env.pop("SESSION_MANAGER", None)
    return env


def ended_at_exit(process):
    """Ends process, should it still run, when the test ends (the screen ends last)."""
    atexit.register(lambda: process.poll() is None and (process.kill(), process.wait()))
    return process


def launch(env):
    """The tray program, started in the temporary home."""
    return ended_at_exit(subprocess.Popen([FAVRAKE], env=env, cwd=ROOT))


def ended(program, what):
    if program.wait(timeout=15) != 0:
        fail(what + " did not end the program with 0")


def terminate(program):
    program.send_signal(signal.SIGTERM)
    ended(program, "SIGTERM")


def start_wm(env):
    """A window manager, as a desktop has one; returns it once it manages the screen."""
    wm = ended_at_exit(subprocess.Popen(["openbox", "--sm-disable"], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    # It takes new windows once it has laid out the desktop, after its check window.
    wait_for("the window manager", lambda: "_NET_WORKAREA(CARDINAL)" in subprocess.run(
        ["xprop", "-root", "_NET_WORKAREA"], capture_output=True, text=True).stdout)
    return wm


def start_tray(env):
    """A panel at the bottom left with a notification area, as a dock window. Now and then the
    window manager misses its first window: then it is started again."""
    for _ in range(3):
        tray = ended_at_exit(subprocess.Popen(["trayer", "--edge", "bottom", "--align", "left",
                                               "--widthtype", "request", "--height", "32"],
                                              env=env))
        if within(5, lambda: xdo("search", "--onlyvisible", "--class", "trayer").split()):
            return tray
        tray.kill()
        tray.wait()
    fail("the panel did not come up")


def geometries(ids):
    """(id, x, y, w, h) of each window named in ids that is still there."""
    found = []
    for wid in ids.split():
        values = dict(line.split("=") for line in
                      xdo("getwindowgeometry", "--shell", wid).split() if "=" in line)
        if "HEIGHT" in values:
            found.append((wid, int(values["X"]), int(values["Y"]), int(values["WIDTH"]),
                          int(values["HEIGHT"])))
    return found


def tray_window():
    return wait_for("the tray host's window", lambda: geometries(
        xdo("search", "--onlyvisible", "--class", "trayer")))[0]


def panel_top():
    return min(w[2] for w in geometries(xdo("search", "--onlyvisible", "--class", "trayer")))


def overlaps(a, b):
    return a[1] < b[1] + b[3] and b[1] < a[1] + a[3] and a[2] < b[2] + b[4] and b[2] < a[2] + a[4]


def shot(name):
    subprocess.run(["import", "-window", "root", os.path.join(OUT, name + ".png")])


def click_tray(button=1):
    click(tray_window(), 12, 12, button)


def menu_choose(pid, keys):
    """Opens the tray menu with a right click and picks an item by keyboard, once the menu
    itself is up (a dialog already open must not take the keys)."""
    wait_for("the last menu to close", lambda: not keyboard_taken())
    # An icon not docked yet misses the click: then it is clicked again.
    wait_for("the tray menu", lambda: click_tray(3) or within(2, keyboard_taken))
    keys_to_menu(*keys)
