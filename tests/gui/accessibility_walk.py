"""A screen reader's walk through the running program over the accessibility bus: the main
window is a frame named "Marlo Gear", its icon buttons are named by their tooltips, pressing
"Settings" opens the settings dialog (its language box named, its Close button closing it),
and pressing "Close" through the bus hides the window. Without a tray (Xvfb has none) a message
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


def dialog_named(name):
    for child in app:
        if child is not None and child.getRoleName() == "dialog" and child.name == name:
            return child
    return None


find(frame, "push button", "Settings").queryAction().doAction(0)
settings = wait_for(lambda: dialog_named("Settings"), timeout=5.0)
if settings is None:
    fail("pressing Settings showed no dialog named Settings")
print("dialog: " + settings.name)
language = pyatspi.findDescendant(
    settings, lambda n: n is not None and n.getRoleName() == "combo box")
if language is None:
    fail("the settings dialog has no language box")
labels = [target.name for relation in language.getRelationSet()
          if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
          for target in (relation.getTarget(i) for i in range(relation.getNTargets()))]
if "Language" not in labels:
    fail("the language box is not labelled Language: " + repr(labels))
print("combo box: " + language.name)
close_settings = pyatspi.findDescendant(
    settings, lambda n: n is not None and n.getRoleName() == "push button" and n.name == "Close"
    and n.getState().contains(pyatspi.STATE_SHOWING))
if close_settings is None:
    fail("the settings dialog has no Close button")
close_settings.queryAction().doAction(0)
if wait_for(lambda: True if dialog_named("Settings") is None else None, timeout=5.0) is None:
    fail("Close did not close the settings dialog")
print("pressed Close: the settings dialog is gone")

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
