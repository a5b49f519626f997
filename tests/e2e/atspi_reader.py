#!/usr/bin/python3
"""Reads the menu as a screen reader does, through libatspi (pyatspi).

  tree        the menu's objects, one a line
  watch       focus and window events as they come, after a line "ready"
  act N       the action of the frame's child N
  alert       the alert and its children; with "press", its OK's action
Exits 3 when no application named Orvenna is on the bus.
"""
import sys

import pyatspi

COORDS = {"screen": pyatspi.DESKTOP_COORDS, "window": pyatspi.WINDOW_COORDS}


def menu():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "Orvenna":
            return app
    sys.exit(3)


def extents(obj, coords):
    try:
        e = obj.queryComponent().getExtents(COORDS[coords])
        return "%d,%d,%d,%d" % (e.x, e.y, e.width, e.height)
    except NotImplementedError:
        return "-"


def actions(obj):
    try:
        a = obj.queryAction()
        return ",".join("%s:%s" % (a.getName(i), a.getDescription(i)) for i in range(a.nActions))
    except NotImplementedError:
        return "-"


def line(obj, depth):
    states = ",".join(sorted(pyatspi.stateToString(s) for s in obj.getState().getStates()))
    return " | ".join([str(depth), obj.getRoleName(), obj.name, obj.description, states,
                       extents(obj, "screen"), extents(obj, "window"), actions(obj)])


def tree():
    app = menu()
    print("bus " + app.app.bus_name)
    print("locale " + app.get_object_locale())

    def walk(obj, depth):
        print(line(obj, depth))
        for i in range(obj.childCount):
            child = obj.getChildAtIndex(i)
            if child.getIndexInParent() != i or child.parent != obj:
                print("child %d of %s does not know its place" % (i, obj.name))
            walk(child, depth + 1)
    walk(app, 0)


def watch():
    def show(event):
        source = event.source
        print("%s %s:%s %d" % (event.type, source.getRoleName(), source.name, event.detail1),
              flush=True)
    pyatspi.Registry.registerEventListener(
        show, "object:state-changed:focused", "window:activate", "window:deactivate",
        "object:children-changed")
    print("ready", flush=True)
    pyatspi.Registry.start()


def act(index):
    frame = menu().getChildAtIndex(0)
    print(frame.getChildAtIndex(index).queryAction().doAction(0))


def alert(press):
    app = menu()
    for i in range(app.childCount):
        obj = app.getChildAtIndex(i)
        if obj.getRole() == pyatspi.ROLE_ALERT:
            print(line(obj, 0))
            for k in range(obj.childCount):
                print(line(obj.getChildAtIndex(k), 1))
            if press:
                print(obj.getChildAtIndex(obj.childCount - 1).queryAction().doAction(0))
            return
    sys.exit(4)


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "tree":
        tree()
    elif command == "watch":
        watch()
    elif command == "act":
        act(int(sys.argv[2]))
    elif command == "alert":
        alert(len(sys.argv) > 2 and sys.argv[2] == "press")
