#!/usr/bin/python3
"""The running window as a screen reader reads it, through AT-SPI alone.

Fails on any control that takes the focus and has no name, or a window that
is not announced as a dialog; then numbers the listed files by setting the
name field's text and pressing 連番生成 and 実行 through their actions, reads
the new names and verdicts row by row and confirms the message box.

Usage: atspi_test.py PID FIRST_NAME NEW_NAME...
"""
import sys
import time

import pyatspi
from gi.repository import GLib

PID = int(sys.argv[1])
FIRST_NAME = sys.argv[2]
EXPECTED_NAMES = sys.argv[3:]
# The controls a user reaches; labels and the like are read by their text.
NAMED_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_ENTRY, pyatspi.ROLE_TEXT,
    pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE,
    pyatspi.ROLE_TREE, pyatspi.ROLE_LIST, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SPIN_BUTTON,
}


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


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        try:
            if app is not None and app.get_process_id() == PID:
                app.clear_cache()
                return app
        except Exception:  # an application that left meanwhile
            continue
    return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def windows():
    app = application()
    return [] if app is None else [w for w in app if w is not None]


def find(root, role, name=None):
    for node in walk(root):
        if node.getRole() == role and (name is None or node.name == name):
            return node
    return None


def main_window():
    for window in windows():
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


def message_box():
    for window in windows():
        if window.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG) and \
                find(window, pyatspi.ROLE_PUSH_BUTTON, "OK"):
            return window
    return None


window = wait_for("the main window in the accessibility tree", main_window)
if window.getRole() != pyatspi.ROLE_DIALOG:
    fail("the window is announced as %s, not as a dialog" % window.getRoleName())
list_ = wait_for("the list named ファイル", lambda: file_list(window))
wait_for("the listed files", lambda: len(rows(list_)) == len(EXPECTED_NAMES))

unnamed = []
for node in walk(window):
    if node.getRole() in NAMED_ROLES and not node.name.strip():
        unnamed.append("%s (%s)" % (node.getRoleName(), node.description or "no description"))
if unnamed:
    fail("controls without a name: " + ", ".join(unnamed))
for name in ("新しい名前", "ディレクトリ"):
    if find(window, pyatspi.ROLE_TEXT, name) is None:
        fail("no control named %s" % name)
print("every control has a name:",
      ", ".join(n.name for n in walk(window) if n.getRole() in NAMED_ROLES))

field = find(window, pyatspi.ROLE_TEXT, "新しい名前")
field.queryEditableText().setTextContents(FIRST_NAME)
wait_for("連番生成 to be enabled", lambda: find(window, pyatspi.ROLE_PUSH_BUTTON, "連番生成")
         .getState().contains(pyatspi.STATE_ENABLED))
press(window, "連番生成")
wait_for("the new names", lambda: [row[1] for row in rows(list_)] == EXPECTED_NAMES)
press(window, "実行")
box = wait_for("the message box", message_box)
said = [node.name for node in walk(box) if node.getRole() == pyatspi.ROLE_LABEL]
if "リネームしました。" not in said:
    fail("the message box says %r" % said)
verdicts = [row[2] for row in rows(list_)]
if verdicts != ["〇"] * len(EXPECTED_NAMES):
    fail("verdicts: %r" % verdicts)
press(box, "OK")
wait_for("the message box to close", lambda: message_box() is None)
for row in rows(list_):
    print(" | ".join(row))
