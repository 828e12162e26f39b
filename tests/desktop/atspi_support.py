"""Reading and driving running programs through AT-SPI, the interface
screen readers use: what the desktop tests share."""
import sys
import time

import pyatspi
from gi.repository import GLib

def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, check, seconds=20):
    """Polls `check` until it returns something true; the pause only spaces
    the polls, the condition is what is waited for. An object that goes away
    while it is read (a closing message box) counts as not yet."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            result = check()
        except GLib.Error:
            result = None
        if result:
            return result
        if time.monotonic() > deadline:
            fail("timed out waiting for " + what)
        time.sleep(0.05)


def application(matches):
    """The first application on the desktop that `matches`, its cache
    cleared so that what is read is what the program shows now."""
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        try:
            if app is not None and matches(app):
                app.clear_cache()
                return app
        except GLib.Error:  # an application that left meanwhile
            continue
    return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def windows(matches):
    app = application(matches)
    return [] if app is None else [w for w in app if w is not None]


def find(root, role, name=None):
    for node in walk(root):
        if node.getRole() == role and (name is None or node.name == name):
            return node
    return None


def quillon_window(matches):
    """Quillon's main window in the first application that `matches`."""
    for window in windows(matches):
        if window.name == "クイロン" and find(window, pyatspi.ROLE_PUSH_BUTTON, "実行"):
            return window
    return None


def press(window, name):
    button = find(window, pyatspi.ROLE_PUSH_BUTTON, name)
    if button is None:
        fail("no button " + name)
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" in names:
        action.doAction(names.index("Press"))
    else:
        action.doAction(0)


def rows(table):
    """Each row as a screen reader reads it: old name, new name, verdict."""
    cells = table.queryTable()
    return [[cells.getAccessibleAt(row, column).name for column in range(cells.nColumns)]
            for row in range(cells.nRows)]


def file_list(window):
    for role in (pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TABLE):
        found = find(window, role, "ファイル")
        if found is not None:
            return found
    return None


def message_box(matches):
    for window in windows(matches):
        if window.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG) and \
                find(window, pyatspi.ROLE_PUSH_BUTTON, "OK"):
            return window
    return None


