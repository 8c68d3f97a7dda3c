"""The configurator as a screen reader meets it: through AT-SPI, from outside.

Run by scripts/test.d/45-qt-atspi inside its own session bus, with the
program already started under Xvfb. Opens every dialog with the keyboard
(xdotool, as a person would), and in each window walks the whole
accessibility tree: every control shown must have a role a screen reader
knows and a name to read; a list must expose its rows, each with a name; a
message box's text must be readable. Prints what fails and ends with
"N passed, N failed" (one check per window), or, run by the stage, adds its
counts to the stage's (scripts/lib/stage.sh, TG_STAGE_COUNTS); exits 1 on
any failure.
"""
import os
import re
import subprocess
import sys
import time

import pyatspi

# Roles that tell a listener nothing about what the control is.
MEANINGLESS_ROLES = {
    pyatspi.ROLE_INVALID,
    pyatspi.ROLE_UNKNOWN,
    pyatspi.ROLE_FILLER,
    pyatspi.ROLE_REDUNDANT_OBJECT,
    pyatspi.ROLE_EXTENDED,
}
LIST_ROLES = {pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_BOX, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE}
WINDOW_ROLES = {pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT, pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW}

passed = 0
failed = 0
# TG_ATSPI_SHOW=1: also list every control walked, as a screen reader gets it.
SHOW = os.environ.get("TG_ATSPI_SHOW") == "1"


def say(text):
    print("== " + text, file=sys.stderr, flush=True)


def has_state(node, state):
    try:
        return node.getState().contains(state)
    except Exception:  # gone meanwhile
        return False


def children(node):
    try:
        found = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:
        return []
    return [c for c in found if c is not None]


def describe(node):
    try:
        return "%s %r" % (node.getRoleName(), node.name)
    except Exception:
        return "(gone)"


def application(seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        for app in children(pyatspi.Registry.getDesktop(0)):
            if app.name == "tarrengard-setup":
                return app
        time.sleep(0.1)
    return None


def window(app, caption, seconds=15):
    """The shown top-level window with that caption, once there is one."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        for top in children(app):
            if top.name == caption and has_state(top, pyatspi.STATE_SHOWING):
                return top
        time.sleep(0.1)
    return None


def gone(app, caption, seconds=10):
    """Waits until no window with that caption shows."""
    deadline = time.monotonic() + seconds
    while any(t.name == caption and has_state(t, pyatspi.STATE_SHOWING) for t in children(app)):
        if time.monotonic() > deadline:
            raise RuntimeError('the window "%s" did not close' % caption)
        time.sleep(0.1)


def ended(seconds=10):
    """Waits until the program has left the accessibility bus."""
    deadline = time.monotonic() + seconds
    while any(a.name == "tarrengard-setup" for a in children(pyatspi.Registry.getDesktop(0))):
        if time.monotonic() > deadline:
            raise RuntimeError('the program did not end after "No"')
        time.sleep(0.1)


def keys(caption, *typed):
    """Gives the X window with that caption the focus and types the keys."""
    pattern = "^%s$" % re.escape(caption)
    deadline = time.monotonic() + 10
    ids = []
    while not ids and time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                               capture_output=True, text=True, timeout=5)
        ids = found.stdout.split()
        if not ids:
            time.sleep(0.1)
    if not ids:
        raise RuntimeError('no window "%s" to type into' % caption)
    subprocess.run(["xdotool", "windowfocus", "--sync", ids[0]], capture_output=True, timeout=10)
    time.sleep(0.2)  # the toolkit takes the focus after the server gives it, as in scripts/lib/xvfb.sh
    subprocess.run(["xdotool", "key", "--clearmodifiers", "--delay", "80"] + list(typed), check=True, timeout=20)


def faults_of_list(node, where):
    rows = children(node)
    if not rows:
        return ["%s: a list without rows" % where]
    faults = []
    for i, row in enumerate(rows):
        try:
            name = row.name.strip()
        except Exception:
            name = ""
        if not name:
            faults.append("%s: row %d has no name" % (where, i))
        elif row.getRole() in MEANINGLESS_ROLES:
            faults.append("%s: row %d (%r) has no role" % (where, i, name))
    return faults


def faults_of_tree(node, path):
    """Every shown control under `node`: a role, a name; a list's rows."""
    faults = []
    for child in children(node):
        if not has_state(child, pyatspi.STATE_SHOWING):
            continue  # a closed drop-down list's popup, for one
        where = "%s > %s" % (path, describe(child))
        if SHOW:
            say("  " + where + (" (%d rows)" % child.childCount if child.getRole() in LIST_ROLES else ""))
        role = child.getRole()
        if role in MEANINGLESS_ROLES:
            faults.append("%s: no role a screen reader knows" % where)
        # A panel holding controls only lays them out (a message box's row of
        # buttons); a screen reader passes over it to the controls.
        container = role == pyatspi.ROLE_PANEL and child.childCount > 0
        if not child.name.strip() and not container:
            faults.append("%s: no name" % where)
        if role in LIST_ROLES:
            faults.extend(faults_of_list(child, where))
        else:
            faults.extend(faults_of_tree(child, where))
    return faults


def texts_in(node):
    """Every name and text a screen reader can read in the window."""
    found = []
    for child in children(node):
        if not has_state(child, pyatspi.STATE_SHOWING):
            continue
        found.append(child.name)
        try:
            text = child.queryText()
            found.append(text.getText(0, text.characterCount))
        except NotImplementedError:
            pass
        found.extend(texts_in(child))
    return found


def check(app, caption, message=None):
    """One check: the window with that caption, walked whole."""
    global passed, failed
    top = window(app, caption)
    if top is None:
        faults = ['no window "%s" reached the accessibility bus' % caption]
    else:
        faults = []
        if top.getRole() not in WINDOW_ROLES:
            faults.append('"%s" is a %s, not a window' % (caption, top.getRoleName()))
        faults.extend(faults_of_tree(top, caption))
        if message is not None and message not in texts_in(top):
            faults.append('"%s": the text "%s" cannot be read' % (caption, message))
        if not children(top):
            faults.append('"%s": no controls' % caption)
    if faults:
        failed += 1
        for fault in faults:
            say("FAILED " + fault)
    else:
        passed += 1
        say('every control of "%s" has a role and a name' % caption)
    return top is not None


def scenario(app):
    menu = "Tarrengard Configuration"
    check(app, menu)
    # The focus starts on Exit; Tab reaches "Music, Sound and Video".
    keys(menu, "Tab", "Return")
    check(app, "Music, Sound and Video")
    keys("Music, Sound and Video", "Escape")
    gone(app, "Music, Sound and Video")

    keys(menu, "Tab", "Return")
    devices = "Input Devices"
    check(app, devices)
    # The last Action row (the console) and Select Secondary: refused with
    # an information box.
    keys(devices, "Tab", "Tab", "End", "shift+Tab", "shift+Tab", "Return")
    check(app, "Set Secondary Key", "The console may be activated by one key only.")
    keys("Set Secondary Key", "Return")
    gone(app, "Set Secondary Key")
    # The first row and Select Primary: Select Key.
    keys(devices, "Tab", "Tab", "Home", "shift+Tab", "Return")
    check(app, "Select Primary Key")
    keys("Select Primary Key", "Escape")
    gone(app, "Select Primary Key")
    # From Select Primary on: the mouse list's first row and its Select.
    keys(devices, "Tab", "Tab", "Tab", "Down", "shift+Tab", "Return")
    check(app, "Select Function")
    keys("Select Function", "Escape")
    gone(app, "Select Function")
    # From Select (mouse) on: past the mouse list and Close to Advanced...
    keys(devices, "Tab", "Tab", "Tab", "Return")
    check(app, "Advanced Mouse Options")
    keys("Advanced Mouse Options", "Escape")
    gone(app, "Advanced Mouse Options")
    keys(devices, "Escape")
    gone(app, devices)

    # Select Key, even cancelled, counts as a change: leaving asks.
    keys(menu, "Escape")
    question = "Save Configuration Changes"
    check(app, question, "Your configuration has been changed. Save now?")
    keys(question, "alt+n")
    ended()  # No: the program leaves without saving


def report():
    """The counts: added to the stage's, or as the last line when run alone."""
    folder = os.environ.get("TG_STAGE_COUNTS")
    if not folder:
        print("%d passed, %d failed" % (passed, failed))
        return
    for name, count in (("passed", passed), ("failed", failed)):
        path = os.path.join(folder, name)
        try:
            with open(path) as f:
                count += int(f.read().strip() or 0)
        except FileNotFoundError:
            pass
        with open(path, "w") as f:
            f.write("%d\n" % count)


def main():
    global failed
    app = application()
    if app is None:
        print("the program did not reach the accessibility bus", file=sys.stderr)
        failed += 1
        report()
        return 1
    try:
        scenario(app)
    except Exception as error:  # a window that never came, a program that went: the walk cannot go on
        say("FAILED " + str(error))
        failed += 1
    report()
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
