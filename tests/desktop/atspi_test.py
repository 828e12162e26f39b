#!/usr/bin/python3
"""The running window as a screen reader reads it, through AT-SPI alone.

Fails on any control that takes the focus and has no name, or a window that
is not announced as a dialog; then numbers the listed files by setting the
name field's text and pressing 連番生成 and 実行 through their actions, reads
the new names and verdicts row by row and confirms the message box.

Usage: atspi_test.py PID FIRST_NAME NEW_NAME...
"""
import sys

import pyatspi

from atspi_support import fail, find, file_list, message_box, press, quillon_window, rows, \
    wait_for, walk

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


def ours(app):
    return app.get_process_id() == PID


window = wait_for("the main window in the accessibility tree",
                  lambda: quillon_window(ours))
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
box = wait_for("the message box", lambda: message_box(ours))
said = [node.name for node in walk(box) if node.getRole() == pyatspi.ROLE_LABEL]
if "リネームしました。" not in said:
    fail("the message box says %r" % said)
verdicts = [row[2] for row in rows(list_)]
if verdicts != ["〇"] * len(EXPECTED_NAMES):
    fail("verdicts: %r" % verdicts)
press(box, "OK")
wait_for("the message box to close", lambda: message_box(ours) is None)
for row in rows(list_):
    print(" | ".join(row))
