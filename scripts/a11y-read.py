#!/usr/bin/python3
"""What a screen reader learns of a running program, read over AT-SPI with pyatspi
(the library Orca is built on). Used by scripts/e2e-a11y.sh; useful by hand too.

  a11y-read.py tree                       every object: role | name | description | text
  a11y-read.py find ROLE NAME [SECONDS]   waits for a showing object of the role ("*": any) whose
                                          name, description or text matches the regular expression
                                          NAME; prints it; exit 1 (and the tree on stderr) if none
  a11y-read.py where ROLE NAME [SECONDS]  as find, but prints the centre of the object on the
                                          screen ("x y"), for xdotool to click
  a11y-read.py events FILE                writes every event of the program that a screen reader
                                          speaks from (text, name, description, value and state
                                          changes, window events), one line each, flushed:
                                          kind|role|name|detail|data; "ready" on stdout once listening

The program is the AT-SPI application named TEILOMAT_A11Y_APP (default "Teilomat"). Every
command ends within its SECONDS (default 10) or, for events, TEILOMAT_A11Y_EVENT_SECONDS
(default 600): a hanging bus fails instead of blocking a test.
"""
import os
import re
import signal
import sys
import time

import pyatspi

APP = os.environ.get("TEILOMAT_A11Y_APP", "Teilomat")
EVENTS = ["object:text-changed", "object:property-change:accessible-name",
          "object:property-change:accessible-description", "object:value-changed",
          "object:state-changed", "window"]


def watchdog(seconds, what):
    def expired(*_):
        sys.stderr.write(f"a11y-read.py: {what} did not end within {seconds} s\n")
        os._exit(2)
    signal.signal(signal.SIGALRM, expired)
    signal.alarm(seconds)


def clean(value):
    return value.replace("\n", "\\n").replace("|", "/") if isinstance(value, str) else str(value)


def text_of(accessible):
    try:
        return accessible.queryText().getText(0, -1)
    except NotImplementedError:
        return None


def describe(accessible):
    text = text_of(accessible)
    fields = [accessible.getRoleName(), accessible.name or "", accessible.description or ""]
    return " | ".join(clean(f) for f in fields) + ("" if text is None else " | text=" + clean(text))


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == APP:
            return app
    return None


def walk(accessible, depth=0):
    yield depth, accessible
    for child in accessible:
        if child is not None:
            yield from walk(child, depth + 1)


def print_tree(out):
    app = application()
    if app is None:
        out.write(f"(no application {APP} on the accessibility bus)\n")
        return
    for depth, accessible in walk(app):
        out.write("  " * depth + describe(accessible) + "\n")


def matching(role, pattern):
    app = application()
    if app is None:
        return None
    wanted = re.compile(pattern)
    for _, accessible in walk(app):
        if role != "*" and accessible.getRoleName() != role:
            continue
        if not accessible.getState().contains(pyatspi.STATE_SHOWING) and accessible.getRoleName() != "application":
            continue
        readable = [accessible.name or "", accessible.description or "", text_of(accessible) or ""]
        if any(wanted.search(r) for r in readable):
            return accessible
    return None


def find(role, pattern, seconds):
    deadline = time.monotonic() + seconds
    while True:
        try:
            found = matching(role, pattern)
        except Exception:  # an object that went away while it was read: read again
            found = None
        if found is not None or time.monotonic() > deadline:
            return found
        time.sleep(0.1)


def listen(path):
    out = open(path, "a", encoding="utf-8")

    def record(event):
        try:
            source = event.source
            if source is None or source.getApplication() is None or source.getApplication().name != APP:
                return
            out.write("|".join(clean(f) for f in (event.type, source.getRoleName(), source.name or "",
                                                  event.detail1, event.any_data)) + "\n")
            out.flush()
        except Exception as error:  # an object gone meanwhile; say so, keep listening
            out.write(f"{event.type}|gone|{clean(repr(error))}||\n")
            out.flush()

    pyatspi.Registry.registerEventListener(record, *EVENTS)
    print("ready", flush=True)
    pyatspi.Registry.start()


def main(argv):
    if len(argv) < 2 or argv[1] not in ("tree", "find", "where", "events"):
        sys.stderr.write(__doc__)
        return 2
    command = argv[1]
    if command == "events":
        watchdog(int(os.environ.get("TEILOMAT_A11Y_EVENT_SECONDS", "600")), "listening")
        listen(argv[2])
        return 0
    seconds = int(argv[4]) if len(argv) > 4 else 10
    watchdog(seconds + 10, command)
    if command == "tree":
        print_tree(sys.stdout)
        return 0
    found = find(argv[2], argv[3], seconds)
    if found is None:
        sys.stderr.write(f"a11y-read.py: no {argv[2]} reads /{argv[3]}/ within {seconds} s; the program shows:\n")
        print_tree(sys.stderr)
        return 1
    if command == "where":
        x, y, width, height = found.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        print(x + width // 2, y + height // 2)
    else:
        print(describe(found))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
