#!/usr/bin/env python3
"""The tray side of the program on a real X display without a window manager: the tray menu
right after the start and while the windows are hidden, a second start, the language menu, the
title window that stands in for a missing tray host, and an uninstall handed over by a
second copy. Usage: e2e_tray.py <favrake binary> <output folder>"""
from e2e_common import *  # noqa: F401,F403

# The menu's items by keys: from the top, or from the bottom for the last ones.
SETTINGS, ABOUT, SHOW_HIDE = ["Down"] * 5, ["Up"] * 3, ["Up"] * 2


def dialog_from_menu(pid, item, title, shot_name=None):
    """Chooses item from the tray menu, waits for the dialog of that title and closes it."""
    menu_choose(pid, item + ["Return"])
    wait_for("the dialog " + title, lambda: named(pid, title))
    if shot_name:
        shot(shot_name)
    xdo("key", "Escape")
    wait_for("the dialog %s to close" % title, lambda: not named(pid, title))


def second_copy(*args):
    done = subprocess.run([FAVRAKE, *args], env=ENV, cwd=ROOT, timeout=60,
                          capture_output=True, text=True)
    return done.returncode


def run(pid):
    # The menu works right after the start, while the windows come up.
    dialog_from_menu(pid, ABOUT, "About Favrake")
    wait_for("the windows", lambda: len(column(pid)) == 4, 30)  # title, 2 bookmarks, bar

    # Show/Hide hides the windows; hidden, the program's normal state, the menu works the
    # same: its dialogs open and Show brings the windows back. A second start does too.
    menu_choose(pid, SHOW_HIDE + ["Return"])
    wait_for("the windows to hide", lambda: not column(pid))
    dialog_from_menu(pid, SETTINGS, "Settings", "e2e-hidden-settings")
    menu_choose(pid, SHOW_HIDE + ["Return"])
    wait_for("the windows shown from the menu", lambda: len(column(pid)) == 4)
    menu_choose(pid, SHOW_HIDE + ["Return"])
    wait_for("the windows to hide", lambda: not column(pid))
    if second_copy() != 0:
        fail("a second start did not end with 0")
    wait_for("the windows after a second start", lambda: len(column(pid)) == 4)

    # Without a tray host the hidden program keeps its title window in the corner: a click
    # brings the column, its menu hides it again; a new host docks the icon.
    menu_choose(pid, SHOW_HIDE + ["Return"])
    wait_for("the windows to hide", lambda: not column(pid))
    TRAY[0].kill()
    TRAY[0].wait()
    stand_in = wait_for("the title window in the tray's place", lambda: column(pid), 15)[0]
    shot("e2e-no-tray")
    click(stand_in, 40, 20)
    wait_for("the column after a click on the title window", lambda: len(column(pid)) == 4)
    title = column(pid)[0]
    click(title, 70, 30, button=3)
    keys_to_menu(*SHOW_HIDE, "Return")
    wait_for("the title window alone again", lambda: len(column(pid)) == 1 and
             column(pid)[0][4] < 60)
    TRAY[0] = start_tray(ENV)
    wait_for("the icon docked again", lambda: [w for w in windows(pid) if w[3] < 60], 15)
    wait_for("the fallback window to go with the tray back", lambda: not column(pid))
    click_tray()
    wait_for("the windows after a click on the icon", lambda: len(column(pid)) == 4)


CAPTIONS = {"Einstellungen": "Deutsch", "Settings": "English"}


def language_shown(pid, item):
    """Picks a language from the menu (the fourth item's submenu); returns the one the
    settings dialog then shows."""
    menu_choose(pid, ["Down"] * 4 + ["Right"] + ["Down"] * (item - 1) + ["Return"])
    menu_choose(pid, SETTINGS + ["Return"])
    shown = wait_for("the settings dialog",
                     lambda: [shown for title, shown in CAPTIONS.items() if named(pid, title)])[0]
    xdo("key", "Escape")
    wait_for("the settings dialog to close", lambda: not dialogs(pid))
    return shown


for name in ("Alpha", "Beta"):
    write_due(os.path.join(FAV, name + ".url"), "http://%s.test/" % name.lower())
write_settings("[Config]\nInstalled=1\n[FlagsInfo]\nHide=1\nPocketMode=1\n"
               "[FlagsConfirm]\nQuit=1\n")
ENV = environment()
TRAY = [start_tray(ENV)]
program = launch(ENV)
# The language menu offers both languages and switches back and forth; the choice is what
# the dialogs show and what the settings keep.
run(program.pid)
chosen = [language_shown(program.pid, 1), language_shown(program.pid, 2)]
if sorted(chosen) != ["Deutsch", "English"]:
    fail("the language menu did not switch to German and back: %s" % chosen)
menu_choose(program.pid, ["Up", "Return"])
ended(program, "Quit")
kept = state(os.path.join(CONFIG, "Favrake.ini"), "Language", "[Config]") or "English"
if kept != chosen[1]:
    fail("the settings keep %s while the dialog showed %s" % (kept, chosen[1]))
# An uninstall handed over by a second copy while the running copy asks a question
# ("Refresh all", the second item) waits for the answer and says so; then the running
# copy cleans up and ends, and the second copy ends with 0.
program = launch(ENV)
wait_for("the windows", lambda: len(column(program.pid)) == 4, 30)
menu_choose(program.pid, ["Down", "Down", "Return"])
wait_for("the question", lambda: [w for w in windows(program.pid) if w[3] == 327])
second = ended_at_exit(subprocess.Popen([FAVRAKE, "/UNINSTALL"], env=ENV, cwd=ROOT,
                                        stderr=subprocess.PIPE))
os.set_blocking(second.stderr.fileno(), False)
told = []
wait_for("the notice that the uninstall waits",
         lambda: told.append(second.stderr.read() or b"") or b"question" in b"".join(told))
shot("e2e-uninstall-waits")
if second.poll() is not None or not [w for w in windows(program.pid) if w[3] == 327]:
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
