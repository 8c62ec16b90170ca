#!/usr/bin/python3
"""Reads the running window through AT-SPI as a screen reader would: every control is found by
its accessible name, each field is labelled by its label. Usage: <this> <path to estrivo>."""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

LABELS = {name: name + ":" for name in [  # accessible name: the caption of the label naming it
    "Concentration", "Gel Free Volume", "Motility", "Total Dose", "Min. Extension Ratio",
    "Max. Extended Concentration", "Collection Date", "Stallion Name & Notes"]}
LABELS.update({"ml Semen": "ml Semen +", "ml Extender": "ml Extender", "Instrument Log": None,
               "Total Volume per Dose": "For a Total Volume per Dose of:",
               "Total Doses Possible": "Total Doses Possible"})
BUTTONS = ["Read", "Light On", "Light Off", "Connect", "Printer Setup", "Print"]


def children(node):
    try:
        return [child for child in map(node.getChildAtIndex, range(node.childCount)) if child]
    except Exception:  # a node that went away while being read
        return []


def descendants(node):
    return [each for child in children(node) for each in [child] + descendants(child)]


def label_of(node):
    return next((relation.getTarget(0).name for relation in node.getRelationSet()
                 if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY), None)


def program_nodes(deadline):
    """The program's nodes once every name has appeared: it registers with the bus late."""
    while True:
        context = GLib.MainContext.default()
        while context.pending():  # the bus delivers what the program announced: no stale tree
            context.iteration(False)
        apps = [app for app in children(pyatspi.Registry.getDesktop(0))
                if (app.name or "").lower() == "estrivo"]
        for app in apps:
            getattr(app, "clear_cache", lambda: None)()
        nodes = [node for app in apps for node in descendants(app)]
        if set(LABELS) | set(BUTTONS) <= {node.name for node in nodes} \
                or time.monotonic() > deadline:
            return nodes
        time.sleep(0.2)


def failures_in(nodes):
    # The first node of each name that is not a label: a label may carry its field's words.
    named = {node.name: node for node in reversed(nodes) if node.getRole() != pyatspi.ROLE_LABEL}
    labels = {name: label_of(named[name]) if name in named else "missing" for name in LABELS}
    failures = [f"{name!r} labelled by {labels[name]!r}, not {caption!r}"
                for name, caption in LABELS.items() if labels[name] != caption]
    failures += [f"no push button {name!r}" for name in BUTTONS
                 if name not in named or named[name].getRole() != pyatspi.ROLE_PUSH_BUTTON]
    # On Linux Qt names a combo box by its text and ties it to its label by relation only.
    combos = [(node.name, label_of(node)) for node in nodes
              if node.getRole() == pyatspi.ROLE_COMBO_BOX]
    return failures + ([] if combos == [("1", "COM Port:")] else [f"port combo box {combos}"])


pyatspi.Registry.getDesktop(0).childCount  # the bus and its registry before the program
env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
program = subprocess.Popen([sys.argv[1]], env=env)
try:
    failures = failures_in(program_nodes(time.monotonic() + 30))
finally:
    program.terminate()
    program.wait(timeout=10)
print("\n".join(["FAIL: " + failure for failure in failures] + [f"{len(failures)} failed"]))
sys.exit(1 if failures else 0)
