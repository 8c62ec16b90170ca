#!/usr/bin/python3
"""Reads the running window through AT-SPI, as a screen reader would, and checks that every
control can be found by its accessible name and that each field is labelled by its label.

Usage: check_accessibility.py <path to estrivo>   (inside a display and a D-Bus session)
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

FIELDS = {
    # accessible name: the caption of the label that names it
    "Concentration": "Concentration:",
    "Gel Free Volume": "Gel Free Volume:",
    "Motility": "Motility:",
    "Total Dose": "Total Dose:",
    "Min. Extension Ratio": "Min. Extension Ratio:",
    "Max. Extended Concentration": "Max. Extended Concentration:",
    "ml Semen": "ml Semen +",
    "ml Extender": "ml Extender",
    "Total Volume per Dose": "For a Total Volume per Dose of:",
    "Total Doses Possible": "Total Doses Possible",
    "Collection Date": "Collection Date:",
    "Stallion Name & Notes": "Stallion Name & Notes:",
}
# On Linux Qt names a combo box by its text and ties it to its label by relation only.
COMBO_LABEL = "COM Port:"
UNLABELLED = ["Instrument Log"]
BUTTONS = ["Read", "Light On", "Light Off", "Connect", "Printer Setup", "Print"]
TIMEOUT_S = 30


def refresh():
    """Lets the bus deliver what the program announced, so no stale tree is read."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def find_application(name):
    refresh()
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.name and app.name.lower() == name:
            try:
                app.clear_cache()
            except AttributeError:
                pass
            return app
    return None


def walk(node, found):
    try:
        count = node.childCount
    except Exception:
        return
    for index in range(count):
        child = node.getChildAtIndex(index)
        if child is None:
            continue
        found.append(child)
        walk(child, found)


def label_of(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            for index in range(relation.getNTargets()):
                return relation.getTarget(index).name
    return None


def main():
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    # Bring up the accessibility bus and its registry before the program looks for them.
    pyatspi.Registry.getDesktop(0).childCount
    refresh()
    program = subprocess.Popen([sys.argv[1]], env=env)
    failures = []
    try:
        deadline = time.monotonic() + TIMEOUT_S
        nodes = []
        while time.monotonic() < deadline:
            app = find_application("estrivo")
            nodes = []
            if app is not None:
                walk(app, nodes)
            names = {node.name for node in nodes}
            if all(name in names for name in list(FIELDS) + BUTTONS + UNLABELLED):
                break
            time.sleep(0.2)  # waiting for the program to register with the bus
        by_name = {}
        combos = []
        for node in nodes:
            role = node.getRole()
            if role == pyatspi.ROLE_COMBO_BOX:
                combos.append(node)
            if role != pyatspi.ROLE_LABEL:  # a label may carry its field's words
                by_name.setdefault(node.name, node)

        for name, caption in FIELDS.items():
            node = by_name.get(name)
            if node is None:
                failures.append(f"no accessible named {name!r}")
                continue
            labelled = label_of(node)
            if labelled != caption:
                failures.append(f"{name!r} is labelled by {labelled!r}, expected {caption!r}")
        for name in UNLABELLED:
            if name not in by_name:
                failures.append(f"no accessible named {name!r}")
        for name in BUTTONS:
            node = by_name.get(name)
            if node is None or node.getRole() != pyatspi.ROLE_PUSH_BUTTON:
                failures.append(f"no push button named {name!r}")
        if len(combos) != 1 or label_of(combos[0]) != COMBO_LABEL:
            failures.append(f"the port combo box is not labelled {COMBO_LABEL!r}")
        elif combos[0].name != "1":
            failures.append(f"the port combo box reads {combos[0].name!r}, expected '1'")
    finally:
        program.terminate()
        program.wait(timeout=10)

    for failure in failures:
        print("FAIL:", failure)
    checked = len(FIELDS) + len(UNLABELLED) + len(BUTTONS) + 1
    print(f"{checked - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
