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
    wait_for("the fallback window to go with the tray back", lambda: not column(pid))
    click_tray()
    wait_for("the windows after a click on the icon", lambda: len(column(pid)) == 4)



CAPTIONS = {"Favrake-Einstellungen": "Deutsch", "Favrake Configuration": "English"}


def language_run(pid, item):
    """Picks a language from the menu, reads the configuration dialog's caption ("Setup ...",
    the fifth item) and quits through the menu (the last item); returns the language shown."""
    menu_choose(pid, ["Down"] * 4 + ["Right"] + ["Down"] * (item - 1) + ["Return"])
    time.sleep(0.5)
    menu_choose(pid, ["Down"] * 5 + ["Return"])
    # The window system shows the title followed by the program's name.
    names = lambda: [xdo("getwindowname", w[0]).split(" \u2014 ")[0].strip() for w in windows(pid)]
    shown = wait_for("the configuration dialog",
                     lambda: [CAPTIONS[n] for n in names() if n in CAPTIONS])[0]
    menu_choose(pid, ["Up", "Return"])
    return shown


def language_run_and_quit(program, item, second=False):
    if not second:
        run(program.pid)
    shown = language_run(program.pid, item)
    ended(program, "Quit")
    if settings_language() != shown:
        fail("the settings keep %s while the dialog showed %s" % (settings_language(), shown))
    return shown


def settings_language():
    for line in open(os.path.join(CONFIG, "Favrake.ini")).read().splitlines():
        if line.startswith("Language="):
            return line[len("Language="):]
    return "English"


def start():
    program = subprocess.Popen([FAVRAKE], env=ENV, cwd=ROOT)
    wait_for("the windows", lambda: len(column(program.pid)) == 4, 30)
    return program


def ended(program, what):
    if program.wait(timeout=15) != 0:
        fail(what + " did not end the program with 0")


os.makedirs(CONFIG)
fresh = struct.pack(">d", now_days() - 1).hex().upper()
due = struct.pack(">d", 1.0).hex().upper()
for name in ("Alpha", "Beta"):
    write(os.path.join(FAV, name + ".url"),
          "[InternetShortcut]\r\nURL=http://%s.test/\r\n[Merkwerk]\r\nRefreshed=%s\r\n"
          "RefreshState=0\r\nRemindTime=%s\r\n" % (name.lower(), fresh, due))
write_settings("[Config]\nInstalled=1\n[FlagsInfo]\nHide=1\nPocketMode=1\n"
               "[FlagsConfirm]\nQuit=1\n")
ENV = environment()
TRAY = [start_tray(ENV)]
program = subprocess.Popen([FAVRAKE], env=ENV, cwd=ROOT)
try:
    # The language menu offers both languages and switches back and forth; the choice is
    # what the dialogs show and what the settings keep.
    chosen = [language_run_and_quit(program, 1)]
    program = start()
    chosen.append(language_run_and_quit(program, 2, second=True))
    if sorted(chosen) != ["Deutsch", "English"]:
        fail("the language menu did not switch to German and back: %s" % chosen)
    # An uninstall handed over by a second copy while the running copy asks a question
    # ("Refresh all", the second item) waits for the answer and says so; then the running
    # copy cleans up and ends, and the second copy ends with 0.
    program = start()
    menu_choose(program.pid, ["Down", "Down", "Return"])
    wait_for("the question", lambda: [w for w in windows(program.pid) if w[3] == 327])
    second = subprocess.Popen([FAVRAKE, "/UNINSTALL"], env=ENV, cwd=ROOT,
                              stderr=subprocess.PIPE)
    os.set_blocking(second.stderr.fileno(), False)
    told = []
    wait_for("the notice that the uninstall waits",
             lambda: told.append(second.stderr.read() or b"") or b"question" in b"".join(told))
    time.sleep(2)
    if second.poll() is not None:
        fail("the second copy did not wait for the question")
    xdo("key", "Escape")
    if second.wait(timeout=30) != 0:
        fail("the handed-over uninstall did not end with 0")
    ended(program, "the handed-over uninstall")
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
