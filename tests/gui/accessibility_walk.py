"""A screen reader's walk through the running program over the accessibility bus: the main
window is a frame named "Marlo Gear", its icon buttons are named by their tooltips, and
pressing "Close" through the bus hides the window. Without a tray (Xvfb has none) a message
box first says that the program goes on: a dialog whose button is pressed the same way."""
import sys
import time

import pyatspi


def wait_for(find, timeout=20.0):
    end = time.time() + timeout
    while time.time() < end:
        found = find()
        if found is not None:
            return found
        time.sleep(0.2)
    return None


def app_named(name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == name:
            return app
    return None


def find(node, role, name):
    return pyatspi.findDescendant(
        node, lambda n: n is not None and n.getRoleName() == role and n.name == name)


def fail(why):
    print("FAIL: " + why)
    sys.exit(1)


app = wait_for(lambda: app_named("marlo-gear"))
if app is None:
    fail("the program is not on the accessibility bus")
frame = wait_for(lambda: find(app, "frame", "Marlo Gear"))
if frame is None:
    fail("no frame named Marlo Gear")
print("frame: " + frame.name)
for name in ("Settings", "Minimise", "Close", "Previous device", "Next device"):
    if find(frame, "push button", name) is None:
        fail("no push button named " + name)
    print("push button: " + name)
close = find(frame, "push button", "Close")
actions = close.queryAction()
if actions.nActions < 1:
    fail("the close button has no action")
actions.doAction(0)


def notice():
    for child in app:
        if child is not None and child.getRoleName() == "dialog":
            return child
    return None


dialog = wait_for(notice, timeout=5.0)
if dialog is None:
    fail("no dialog says that the program goes on")
print("dialog: " + dialog.name)
ok = pyatspi.findDescendant(
    dialog, lambda n: n is not None and n.getRoleName() == "push button" and n.name != "Close"
    and n.getState().contains(pyatspi.STATE_SHOWING))
if ok is None:
    fail("the dialog has no button to answer it")
print("pressed: " + ok.name)
ok.queryAction().doAction(0)
hidden = wait_for(lambda: True if not frame.getState().contains(pyatspi.STATE_SHOWING)
                  else None, timeout=5.0)
if hidden is None:
    fail("pressing Close did not hide the window")
print("pressed Close: the window is hidden")
