#!/usr/bin/env python3
"""The tray side of the program on a real X display: the tray menu, a second start, the
fallback window without a tray host, and an uninstall handed over by a second copy.
Usage: e2e_tray.py <favrake binary> <output folder>"""
from e2e_common import *  # noqa: F401,F403


def menu_choose(pid, keys):
    """Opens the tray menu with a right click and picks an item by keyboard."""
    click_tray(3)
    wait_for("the tray menu", lambda: [w for w in windows(pid) if w[4] > 150 and w[3] != 140])
    time.sleep(0.3)
    xdo("key", *keys)


def second_copy(*args):
    done = subprocess.run([FAVRAKE, *args], env=ENV, cwd=ROOT, timeout=60,
                          capture_output=True, text=True)
    return done.returncode


def run(pid):
    wait_for("the windows", lambda: len(column(pid)) == 4, 30)  # title, 2 bookmarks, bar

    # Show/Hide, the item above "Quit", hides the windows; a second start brings them back.
    menu_choose(pid, ["Up", "Up", "Return"])
    wait_for("the windows to hide", lambda: not column(pid))
    if second_copy() != 0:
        fail("a second start did not end with 0")
    wait_for("the windows after a second start", lambda: len(column(pid)) == 4)

    # The third item switches to pocket mode (titles in the title window) and back.
    menu_choose(pid, ["Down", "Down", "Down", "Return"])
    wait_for("pocket mode", lambda: len(column(pid)) == 1 and column(pid)[0][4] > 60)
    menu_choose(pid, ["Down", "Down", "Down", "Return"])
    wait_for("full mode", lambda: len(column(pid)) == 4)

    # Without a tray host the hidden program keeps a window; a new host docks the icon.
    menu_choose(pid, ["Up", "Up", "Return"])
    wait_for("the windows to hide", lambda: not column(pid))
    TRAY[0].kill()
    TRAY[0].wait()
    wait_for("the fallback window", lambda: column(pid), 15)
    TRAY[0] = start_tray(ENV)
    wait_for("the icon docked again", lambda: [w for w in windows(pid) if w[3] < 60], 15)

    # An uninstall handed over by a second copy: the running copy cleans up and ends.
    if second_copy("/UNINSTALL") != 0:
        fail("the handed-over uninstall did not end with 0")


os.makedirs(CONFIG)
fresh = struct.pack(">d", now_days() - 1).hex().upper()
due = struct.pack(">d", 1.0).hex().upper()
for name in ("Alpha", "Beta"):
    write(os.path.join(FAV, name + ".url"),
          "[InternetShortcut]\r\nURL=http://%s.test/\r\n[Merkwerk]\r\nRefreshed=%s\r\n"
          "RefreshState=0\r\nRemindTime=%s\r\n" % (name.lower(), fresh, due))
write_settings("[Config]\nInstalled=1\n[FlagsInfo]\nHide=1\nPocketMode=1\n")
ENV = environment()
TRAY = [start_tray(ENV)]
program = subprocess.Popen([FAVRAKE], env=ENV, cwd=ROOT)
try:
    run(program.pid)
    if program.wait(timeout=15) != 0:
        fail("the running copy did not end with 0 after the uninstall")
    for name in ("Alpha", "Beta"):
        if b"Merkwerk" in read(os.path.join(FAV, name + ".url")):
            fail("a section was left after the uninstall")
    if os.path.exists(os.path.join(CONFIG, "Favrake.ini")):
        fail("the settings file was left after the uninstall")
    print("PASS")
finally:
    if program.poll() is None:
        program.kill()
    TRAY[0].kill()
