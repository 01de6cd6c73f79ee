"""Reads the running client's window through AT-SPI, as a screen reader does, and checks that
it says what the window shows. Exits 0 when every check holds; prints each failure."""
import sys
import time

import pyatspi

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def find_app(name, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def walk(node, depth=0):
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def by_name_prefix(nodes, prefix):
    return [n for n, _ in nodes if n.name.startswith(prefix)]


def wait_for(condition, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if condition():
            return True
        time.sleep(0.2)
    return False


app = find_app(sys.argv[1], 30)
if app is None:
    names = [a.name for a in pyatspi.Registry.getDesktop(0) if a is not None]
    print("FAIL the client never appeared on the accessibility bus; there: %s" % names)
    sys.exit(1)

nodes = []


def refreshed():
    global nodes
    nodes = list(walk(app))
    return bool(by_name_prefix(nodes, "Status: Library refreshed"))


check(wait_for(refreshed, 30), 'the status panel reads "Status: Library refreshed"')
check(bool(by_name_prefix(nodes, "Artist count: 7 artists")), "the artist count is read")
tab_lists = [n for n, _ in nodes if n.getRole() == pyatspi.ROLE_PAGE_TAB_LIST]
check(len(tab_lists) == 1 and tab_lists[0].name == "Library and search",
      'the tab row is "Library and search"')
check(sorted(t.name for t in (tab_lists[0] if tab_lists else []))[:2] == ["Library", "Search"],
      "its tabs are Library and Search")


check(bool(by_name_prefix(nodes, "Elapsed time: 0:00")), 'the elapsed time reads "0:00"')
check(bool(by_name_prefix(nodes, "Total time: 0:00")), 'the total time reads "0:00"')
check(any(n.name == "Now playing" for n, _ in nodes), "the now-playing box is named")
sliders = [n for n, _ in nodes if n.getRole() == pyatspi.ROLE_SLIDER and n.name == "Position"]
check(len(sliders) == 1, "there is one position slider")
mute = [n for n, _ in nodes if n.name == "Mute"]
check(len(mute) == 1 and mute[0].getRole() in (pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_TOGGLE_BUTTON),
      "Mute is a control that is on or off")

unnamed = []
for node, _ in nodes:
    states = node.getState()
    if not states.contains(pyatspi.STATE_SHOWING):
        continue
    role = node.getRole()
    if role in (pyatspi.ROLE_SEPARATOR, pyatspi.ROLE_FILLER, pyatspi.ROLE_TABLE_CELL):
        continue
    if not node.name:
        unnamed.append(node.getRoleName())
    if role == pyatspi.ROLE_UNKNOWN:
        unnamed.append("unknown role: " + node.name)
check(not unnamed, "every object shown has a name and a role (%s)" % ", ".join(unnamed))

sys.exit(1 if failures else 0)
