#!/usr/bin/env python3
"""The bookmark folder on a desktop with a window manager: the welcome dialog that imports a
browser's bookmarks into a missing folder, a missing folder explained, a folder created while
the program runs picked up, and another folder chosen in the settings.
Usage: e2e_folder.py <favrake binary> <output folder>"""
from e2e_common import *  # noqa: F401,F403

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "exchange")


def quit_program(program):
    menu_choose(program.pid, ["Up", "Return"])
    answer_yes(program.pid)
    ended(program, "Quit")


def welcome_imports(env, base):
    """First start without a folder: the welcome offers Chromium's bookmarks and imports them.
    Their pages are served on the loopback, so the refresh after the start is recorded."""
    profile = os.path.join(CONFIG, "chromium", "Default")
    os.makedirs(profile)
    with open(os.path.join(SOURCE, "Bookmarks"), encoding="utf-8") as source:
        write(os.path.join(profile, "Bookmarks"), source.read().replace("https://", base))
    program = launch(env)
    wait_for("the welcome dialog", lambda: dialogs(program.pid))
    shot("e2e-welcome")
    xdo("key", "alt+i")
    wait_for("the imported bookmarks", lambda: len([f for _, _, names in os.walk(FAV)
                                                         for f in names if f.endswith(".url")]) == 3)
    shot("e2e-welcome-imported")
    xdo("key", "Return")  # Start it!
    wait_for("the settings to be saved", lambda: os.path.exists(os.path.join(CONFIG, "Favrake.ini")))
    wait_for("the imported bookmarks shown", lambda: len(column(program.pid)) > 2, 60)
    quit_program(program)


def folder_states(env):
    """A missing folder explained, its coming noticed, and another folder chosen."""
    later = os.path.join(HOME, "Later", "Favorites")
    write_settings("[Config]\nInstalled=1\nNoNetAccess=1\nFavoritesFolder=%s\n[FlagsInfo]\n"
                   "Hide=1\n" % later)
    program = launch(env)
    wait_for("the icon docked", lambda: [w for w in windows(program.pid) if w[3] < 60])
    click_tray()
    wait_for("the missing folder explained", lambda: len(column(program.pid)) == 1 and
             column(program.pid)[0][4] > 115)
    shot("e2e-folder-missing")
    write_due(os.path.join(later, "Found.url"), "http://found.test/")
    wait_for("the new folder's bookmark", lambda: len(column(program.pid)) == 3)
    shot("e2e-folder-created")

    # Network access off: "Refresh all" is offered disabled, so the keys pass it by to the
    # pocket switch (which explains itself once) and no refresh question comes; the column
    # stays as it was.
    menu_choose(program.pid, ["Down", "Down"])
    shot("e2e-refresh-off")
    xdo("key", "Return")
    note = wait_for("the pocket mode note", lambda: dialogs(program.pid))[0]
    if not xdo("getwindowname", note[0]).startswith("Information"):
        fail("not the pocket mode note: " + xdo("getwindowname", note[0]))
    focused(note)
    xdo("key", "Return")
    wait_for("pocket mode", lambda: len(column(program.pid)) == 1 and not dialogs(program.pid))
    menu_choose(program.pid, ["Down", "Down", "Return"])
    wait_for("the column as it was", lambda: len(column(program.pid)) == 3)

    # Another folder chosen in the settings: its bookmarks come at once (the keys pass
    # "Refresh all" by).
    menu_choose(program.pid, ["Down"] * 4 + ["Return"])
    settings = wait_for("the settings", lambda: named(program.pid, "Settings"))[0]
    focused(settings)
    xdo("key", "alt+c")
    chooser = wait_for("the folder chooser", lambda: [
        w for w in dialogs(program.pid) if w[0] != settings[0]])[0]
    focused(chooser)
    xdo("key", "ctrl+a")
    xdo("type", FAV)
    xdo("key", "Return")
    wait_for("the folder chooser to close",
             lambda: chooser[0] not in [w[0] for w in dialogs(program.pid)])
    focused(settings)
    xdo("key", "Return")
    wait_for("the chosen folder kept", lambda: "FavoritesFolder=" + FAV in
             open(os.path.join(CONFIG, "Favrake.ini")).read())
    # Two of the three imported are due (the third was added lately).
    wait_for("the chosen folder's bookmarks", lambda: len(column(program.pid)) == 4)
    shot("e2e-folder-chosen")
    quit_program(program)


ENV = environment()
ENV.pop("FAVRAKE_FAVORITES")
start_wm(ENV)
start_tray(ENV)
welcome_imports(ENV, serve_pages()[1])
folder_states(ENV)
print("PASS")
