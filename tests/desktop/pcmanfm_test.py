#!/usr/bin/python3
"""PCManFM's context-menu entry as a user meets it, read through AT-SPI:
selects the given files in the open folder's list, opens the context menu,
checks that the entry is shown under its name, chooses it, and checks that
Quillon lists exactly the selected files, in this order. Prints Quillon's
process id last.

Usage: pcmanfm_test.py ENTRY_LABEL FILE...
"""
import subprocess
import sys

import pyatspi

from atspi_support import application, fail, file_list, find, quillon_window, rows, wait_for, \
    walk, windows

LABEL = sys.argv[1]
WANTED = sys.argv[2:]


def pcmanfm(app):
    return app.name == "pcmanfm"


def quillon(app):
    return app.name == "quillon"


def folder_view():
    """The table of the open folder: the one with columns (name, description,
    size, ...), unlike the side pane's."""
    for window in windows(pcmanfm):
        for node in walk(window):
            if node.getRole() == pyatspi.ROLE_TABLE and node.queryTable().nColumns > 2:
                return node
    return None


def cell_text(cell):
    """A name cell holds the icon and the text as cells of their own."""
    if cell.name:
        return cell.name
    return next((child.name for child in cell if child is not None and child.name), "")


def listed(table):
    cells = table.queryTable()
    return [cell_text(cells.getAccessibleAt(row, 0)) for row in range(cells.nRows)]


def selected(table):
    cells = table.queryTable()
    return sorted(listed(table)[row] for row in cells.getSelectedRows())


table = wait_for("the folder's list", folder_view)
names = wait_for("every file in the list", lambda: listed(table) if all(listed(table)) else None)
missing = set(WANTED) - set(names)
if missing:
    fail("not in the folder's list: %r (listed: %r)" % (sorted(missing), names))
# Selected as a user selects: a click on the first, Ctrl+click on the others,
# at the rows' places on the screen; the menu by a right click on the last.
def centre(row):
    box = table.queryTable().getAccessibleAt(row, 0).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return str(box.x + box.width // 2), str(box.y + box.height // 2)


def click(row, button="1", modifier=None):
    x, y = centre(row)
    command = ["xdotool", "mousemove", x, y]
    command += ["keydown", modifier, "click", button, "keyup", modifier] if modifier else \
        ["click", button]
    subprocess.run(command, check=True)


rows_wanted = [names.index(name) for name in WANTED]
click(rows_wanted[0])
wait_for("the first file selected", lambda: selected(table) == [WANTED[0]])
for count, row in enumerate(rows_wanted[1:], start=2):
    click(row, modifier="ctrl")
    wait_for("%d files selected" % count, lambda: len(selected(table)) == count)
if selected(table) != sorted(WANTED):
    fail("selected: %r" % selected(table))
click(rows_wanted[-1], button="3")


def entry():
    app = application(pcmanfm)
    for node in walk(app):
        if node.getRole() == pyatspi.ROLE_MENU_ITEM and \
                node.getState().contains(pyatspi.STATE_SHOWING) and node.name == LABEL:
            return node
    return None


item = wait_for("the entry %r in the context menu" % LABEL, entry)
item.queryAction().doAction(0)

window = wait_for("Quillon's window", lambda: quillon_window(quillon))
list_ = wait_for("Quillon's list", lambda: file_list(window))
# The files arrive as one drop: all rows at once.
wait_for("files in Quillon's list", lambda: rows(list_))
shown = [row[0] for row in rows(list_)]
if shown != WANTED:
    fail("Quillon lists %r, not %r" % (shown, WANTED))
print("Quillon lists:", ", ".join(shown))
print(application(quillon).get_process_id())
