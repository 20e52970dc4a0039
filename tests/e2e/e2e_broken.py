#!/usr/bin/env python3
"""The broken-links window opened from the tray menu, in German and in English: two gone links
deleted at once go to the trash, a moved one takes its new address. Screenshots of the window
land in the output folder. Usage: e2e_broken.py <favrake binary> <output folder>"""
from e2e_common import *  # noqa: F401,F403

BROKEN = ["Up"] * 6  # the tray menu's item, from the bottom
DAY = 86400


def hex_value(text):
    return text.encode("utf-16-be").hex().upper()


def bookmark(name, url, verdict, days_ago, checks="GG", evidence="", moved_to=""):
    """A bookmark whose link the refresh judged days_ago, as its file stores it."""
    since = hex_day(now_days() - days_ago)
    path = os.path.join(FAV, name + ".url")
    write(path, "[InternetShortcut]\r\nURL=%s\r\n[Merkwerk]\r\nURL=%s\r\nRefreshed=%s\r\n"
          "RemindTime=%s\r\nChecks=%s\r\nCheckTimes=%s,%s\r\nFailSince=%s\r\nVerdict=%s\r\n"
          "Evidence=%s\r\n" % (url, hex_value(moved_to), since, hex_day(now_days() + 30), checks,
                               since, since, since if checks[0] not in "MO" else "", verdict,
                               hex_value(evidence)),
          time.time() - 3000 * DAY)
    return path


def open_window(pid, title):
    menu_choose(pid, BROKEN + ["Return"])
    found = wait_for("the window " + title, lambda: named(pid, title))[0]
    focused(found)
    return found


def window_shot(window, name):
    """The window with its frame, cut from the screen."""
    info = dict(line.strip().split(": ", 1) for line in subprocess.run(
        ["xwininfo", "-id", window[0]], capture_output=True, text=True).stdout.splitlines()
        if ": " in line)
    left, right, top, bottom = [int(v) for v in subprocess.run(
        ["xprop", "-id", window[0], "_NET_FRAME_EXTENTS"], capture_output=True,
        text=True).stdout.split("=")[1].split(",")]
    x, y = int(info["Absolute upper-left X"]) - left, int(info["Absolute upper-left Y"]) - top
    subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (
        int(info["Width"]) + left + right, int(info["Height"]) + top + bottom, x, y),
        "+repage", os.path.join(OUT, name + ".png")])


def select_gone(window, shot_name):
    """Selects the two gone links, the first found by typing its name."""
    xdo("type", "Photo")
    xdo("key", "shift+Down")
    window_shot(window, shot_name)


def start(env, language):
    write_settings("[Config]\nInstalled=1\nNoNetAccess=1\nLanguage=%s\n[FlagsInfo]\nHide=1\n"
                   "[FlagsConfirm]\nEmptyTree=1\n"
                   % language)
    program = launch(env)
    wait_for("the icon docked", lambda: [w for w in windows(program.pid) if w[3] < 60])
    return program


def main():
    install_languages()
    gone = [bookmark("Photo Club", "http://photoclub.example/gallery/2009/", "gone", 40,
                     evidence="HTTP/1.1 404 Not Found"),
            bookmark("Archive/Town Library", "http://library.example/opening-hours.html",
                     "gone", 12, evidence="HTTP/1.1 410 Gone")]
    moved = bookmark("Garden Tips", "http://garden.example/tips", "moved", 20, "MM",
                     moved_to="https://www.garden.example/tips/")
    bookmark("Games/Chess Openings", "http://chess.example/", "failing", 3, "TO",
             evidence="Failed to connect to chess.example port 80 after 3 ms: Couldn't "
                      "connect to server")
    bookmark("Bakery Blog", "http://bakery.example/", "parked", 60, "PO")
    bookmark("Weather", "http://weather.example/", "ok", 2, "OO")
    env = environment()
    start_wm(env)
    start_tray(env)
    program = start(env, "Deutsch")
    select_gone(open_window(program.pid, "Defekte Links"), "broken-links-de")
    terminate(program)
    program = start(env, "English")
    window = open_window(program.pid, "Broken links")
    select_gone(window, "broken-links-en")
    # One question for both, then both in the trash, with the folder they emptied.
    xdo("key", "Delete")
    answer_yes(program.pid)
    trash = os.path.join(DATA, "Trash", "files")
    wait_for("both in the trash", lambda: not any(map(os.path.exists, gone)) and
             os.path.exists(os.path.join(trash, "Photo Club.url")) and
             os.path.isdir(os.path.join(trash, "Archive")))
    # The moved one, the last as it only wants a look, takes its new address.
    focused(window)
    xdo("key", "Down", "Down", "Down")  # the last of three rows
    xdo("key", "alt+n")
    wait_for("the new address", lambda: "URL=https://www.garden.example/tips/\r\n" in
             read(moved).decode())
    window_shot(window, "e2e-broken-after")
    terminate(program)
    print("PASS")


main()
