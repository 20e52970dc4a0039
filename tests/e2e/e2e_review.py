#!/usr/bin/env python3
"""Runs the tray program on a real X display (Xvfb) with a window manager and a panel, and
checks, on the files, what a user's clicks do, and on the screen, that questions and hints
can be seen. Usage: e2e_review.py <favrake binary> <output folder> <favrake-cli binary>"""
from e2e_common import *  # noqa: F401,F403


UNTOUCHED = {}  # path: content it must still have at the end


def main():
    base = serve_pages()[1]

    year = 365 * 86400
    t0 = time.time() - 10 * year
    files = {
        "A": (os.path.join(FAV, "Recipes.url"), base + "a.html", t0),  # changed from outside
        "B": (os.path.join(FAV, "Python.url"), base + "docs/3.12/tutorial/b.html", t0 + year),
        "C": (os.path.join(FAV, "News", "Daily Paper.url"), base + "c.html", t0 + 2 * year),
        "D": (os.path.join(FAV, "Weather.url"), base + "gone.html", t0 + 3 * year),  # tomorrow
        "E": (os.path.join(FAV, "Passwords.url"), "file:///etc/passwd", t0 + 4 * year),
    }
    for path, url, mtime in files.values():
        write(path, "[InternetShortcut]\r\nURL=%s\r\n" % url, mtime)
    kept = os.path.join(FAV, "Kept.url")
    write(kept, "[InternetShortcut]\r\nURL=%sk.html\r\n[Merkwerk]\r\nRemindTime=%s\r\n"
          % (base, KEPT), t0)
    notes = os.path.join(FAV, "notes.txt")
    write(notes, "not a bookmark\n", t0)
    UNTOUCHED.update({p: read(p) for p in (kept, notes)})
    # FAVRAKE_E2E_LANGUAGE=Deutsch shows the windows in that language (for their pictures).
    install_languages()
    write_settings(
          "[Config]\nInstalled=1\nLanguage=%s\n[FlagsInfo]\nKeep=1\nRemind=1\nWebLink=1\n"
          "SuggestK=1\nSuggestD=1\nHide=1\n[FlagsConfirm]\nEmptyTree=1\n"
          % os.environ.get("FAVRAKE_E2E_LANGUAGE", ""))
    env = environment()
    start_wm(env)
    start_tray(env)
    program = launch(env)
    run(program, files, base)
    xdo("mousemove", "1", "1")
    terminate(program)
    for path, content in UNTOUCHED.items():
        if read(path) != content:
            fail("an untouched file changed: " + path)
    if os.path.exists(OPENED) and "file:" in open(OPENED).read():
        fail("a file: address reached the opener")
    print("PASS")


def run(program, files, base):
    pid = program.pid
    # Every due bookmark waits for its refresh, then all five come up beside the taskbar.
    wait_for("the five bookmark windows", lambda: len(column(pid)) == 7, 60)
    shown = column(pid)
    if focus() in [w[0] for w in shown]:
        fail("the windows took the focus when they came up on their own")
    for w in shown:
        if w[1] + w[3] != SCREEN_W:
            fail("a window is not at the right screen edge: %s" % (w,))
    if shown[-1][2] + shown[-1][4] != panel_top():
        fail("the command bar is not in the corner just above the panel: %s" % (shown[-1],))
    shot("e2e-windows")

    # The panel takes more room after the start, as at login: the column moves up.
    panel = xdo("search", "--onlyvisible", "--class", "trayer").split()[-1]
    subprocess.run(["xprop", "-id", panel, "-f", "_NET_WM_STRUT_PARTIAL", "32c", "-set",
                    "_NET_WM_STRUT_PARTIAL", "0,0,0,60,0,0,0,0,0,0,0,%d" % (SCREEN_W - 1)])
    wait_for("the column above the panel's new room",
             lambda: column(pid)[-1][2] + column(pid)[-1][4] == SCREEN_H - 60)
    for key in "ABC":
        path = files[key][0]
        if hex_text(state(path, "Title")) != TITLES[key.lower()][0] or state(path, "RefreshState") != "0":
            fail("bookmark %s was not refreshed: %r" % (key, read(path)))
    # A page that is gone shows one line about it on its card.
    if state(files["D"][0], "Checks") != "G" or not state(files["D"][0], "RefreshState").startswith("-"):
        fail("the gone page was not stored as failed: %r" % read(files["D"][0]))

    # A bookmark rewritten from outside (saved the way browsers save: a new file renamed
    # over the old one) loses its window and is never written.
    # (Kept for good there, so that no later refresh has reason to write it either.)
    changed = "[InternetShortcut]\r\nURL=%selsewhere.html\r\n[Merkwerk]\r\nRemindTime=%s\r\n" % (
        base, KEPT)
    write(files["A"][0] + ".new", changed)
    os.replace(files["A"][0] + ".new", files["A"][0])
    wait_for("the changed bookmark's window to go", lambda: len(column(pid)) == 6)
    UNTOUCHED[files["A"][0]] = changed.encode()  # checked once the program has ended

    def bookmark_window(n):  # n-th bookmark window from the top
        return wait_for("bookmark window %d" % n,
                        lambda: (lambda shown: shown and len(shown) > 2 + n and shown[1 + n])(
                            still_column(pid)))

    # Hints show on the windows, which never take the focus.
    # A hover the program missed while the column settled is made again, a pixel aside.
    keep = bookmark_window(0)
    hint = lambda: [w for w in windows(pid) if w[3] != 140 and 40 < w[3] and w[4] < 60]
    if not any(xdo("mousemove", str(keep[1] + 67 + aside), str(keep[2] + 14)) or within(5, hint)
               for aside in (0, 1, 0, 1, 0, 1)):
        fail("no hint on the keep button")
    shot("e2e-hint")

    # The command line refreshes every bookmark while B and D are shown: the decisions on
    # them still go through, onto the content it wrote.
    env = environment()
    subprocess.run([sys.argv[3], "refresh", "--all"], env=env, cwd=ROOT, timeout=120,
                   check=True, capture_output=True)
    checks = {k: state(files[k][0], "Checks") for k in "BD"}
    if [c for c in checks.values() if not c or len(c) < 2]:
        fail("the command line did not refresh B and D: %r" % checks)

    # The keyboard: a click on the title window gives it to the first bookmark window, and
    # after each decision it goes to the window taking that one's place.
    def keyboard_on_first():
        wait_for("the keyboard on the first bookmark window",
                 lambda: focus() == bookmark_window(0)[0], 10)

    click(column(pid)[0], 30, 20)
    keyboard_on_first()
    xdo("key", "k")
    wait_for("B kept", lambda: state(files["B"][0], "RemindTime") == KEPT and
             state(files["B"][0], "Checks") == checks["B"])
    wait_for("B's window to go", lambda: len(column(pid)) == 5)

    # Delete: the question opens beside the column, fully on the screen, and Yes sends the
    # shortcut and its emptied folder into the trash.
    keyboard_on_first()
    xdo("key", "Delete")
    question = wait_for("the delete question", lambda: dialogs(pid))[0]
    if question[1] < 0 or question[2] < 0 or question[1] + question[3] > SCREEN_W or \
            question[2] + question[4] > SCREEN_H:
        fail("the question is not fully on the screen: %s" % (question,))
    if [w for w in column(pid) if overlaps(w, question)]:
        fail("the column covers the question: %s" % (question,))
    shot("e2e-question")
    xdo("key", "Return")
    trash = os.path.join(DATA, "Trash")
    wait_for("C in the trash", lambda: not os.path.exists(files["C"][0]) and
             os.path.exists(os.path.join(trash, "files", "Daily Paper.url")) and
             os.path.isdir(os.path.join(trash, "files", "News")) and
             os.path.exists(os.path.join(trash, "info", "News.trashinfo")))
    wait_for("C's window to go", lambda: len(column(pid)) == 4)

    # "Tomorrow" from the remind menu that R opens.
    keyboard_on_first()
    xdo("key", "r")
    keys_to_menu("Down", "Return")
    wait_for("D reminded tomorrow", lambda: state(files["D"][0], "RemindTime") and
             abs(hex_time(state(files["D"][0], "RemindTime")) - now_days() - 1) < 0.01 and
             state(files["D"][0], "Checks") == checks["D"])
    wait_for("D's window to go", lambda: len(column(pid)) == 3)

    # Esc hides the column; the tray icon brings it back, with the keyboard.
    keyboard_on_first()
    xdo("key", "Escape")
    wait_for("the column to hide", lambda: not column(pid))
    click_tray()
    wait_for("the column back", lambda: len(column(pid)) == 3)
    keyboard_on_first()

    # The file: bookmark is never handed to the browser; the user is told why.
    click(bookmark_window(0), 8 + 20, 28 + 6)
    wait_for("the error box", lambda: dialogs(pid))
    xdo("key", "Return")
    wait_for("the error box to close", lambda: not dialogs(pid))
    click(bookmark_window(0), 81 + 10, 4 + 10)
    wait_for("E reminded", lambda: state(files["E"][0], "RemindTime") and
             abs(hex_time(state(files["E"][0], "RemindTime")) - now_days() - 7) < 0.01)
    # The last one handled, the title window says when the next come, then all fade out.
    wait_for("the farewell", lambda: len(column(pid)) == 1 and column(pid)[0][4] > 60)
    shot("e2e-farewell")
    wait_for("every window to hide after the farewell", lambda: not column(pid))

    # A click on the tray icon brings the information page.
    click_tray()
    wait_for("the information page", lambda: len(column(pid)) == 1 and column(pid)[0][4] > 60)
    shot("e2e-information")


main()
