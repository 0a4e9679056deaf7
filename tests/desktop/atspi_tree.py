"""Reads the running lullwood's window through AT-SPI, as a screen reader does.

Checks that every effect slider is named by the label beside it and reads "Never", that
the two volume bars are named by what they set and read their step, that every button
and box has a name and takes the keyboard's focus, and that a slider moved through the
tree reads its new level. Exits 0 when all hold, 1 with the reasons else.
"""
import sys
import time

import pyatspi

LEVELS = {1: "Never", 2: "Rarely", 3: "Occasionally", 4: "Frequently"}
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def find_application(seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "lullwood":
                # The window is there once its controls are.
                if find_all(app, lambda o: o.getRole() == pyatspi.ROLE_SLIDER):
                    return app
        time.sleep(0.2)
    return None


def find_all(root, wanted):
    found = []

    def walk(node):
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is None:
                continue
            if wanted(child):
                found.append(child)
            walk(child)

    walk(root)
    return found


def position(node):
    point = node.queryComponent().getPosition(pyatspi.WINDOW_COORDS)
    return point[0], point[1]


def label_beside(slider, labels):
    """The nearest label on the slider's left in the same row (their tops within 4
    pixels: the layout puts a row's label and slider at one height)."""
    x, y = position(slider)
    best, best_x = None, None
    for label in labels:
        lx, ly = position(label)
        if abs(ly - y) <= 4 and lx < x and (best is None or lx > best_x):
            best, best_x = label, lx
    return best


def main():
    app = find_application(30)
    if app is None:
        print("lullwood did not show its window through AT-SPI within 30 s")
        return 1
    sliders = find_all(app, lambda o: o.getRole() == pyatspi.ROLE_SLIDER)
    labels = find_all(app, lambda o: o.getRole() == pyatspi.ROLE_LABEL)
    bars = [s for s in sliders if s.name in ("Background volume", "Random volume")]
    effects = [s for s in sliders if s not in bars]
    check(len(bars) == 2, f"{len(bars)} volume bars named by what they set, not 2")
    check(len(effects) == 31, f"{len(effects)} effect sliders, not 31")
    for bar in bars:
        value = bar.queryValue()
        step = int(value.currentValue)
        check(bar.description == f"Step {step} of 10",
              f"{bar.name} reads {bar.description!r} at step {step}")
        check(value.minimumValue == 1 and value.maximumValue == 10, f"{bar.name}'s range")
    names = set()
    for slider in effects:
        label = label_beside(slider, labels)
        shown = label.name.strip() if label is not None else None
        check(slider.name == shown, f"slider {slider.name!r} beside the label {shown!r}")
        check(slider.description == "Never", f"{slider.name} reads {slider.description!r}")
        value = slider.queryValue()
        check(value.minimumValue == 1 and value.maximumValue == 4, f"{slider.name}'s range")
        names.add(slider.name)
    check(len(names) == len(effects), "two effect sliders share a name")

    # Every control a user acts on is named and reachable from the keyboard.
    acting = (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_SLIDER)
    for control in find_all(app, lambda o: o.getRole() in acting):
        check(bool(control.name), f"a {control.getRoleName()} without a name")
        check(control.getState().contains(pyatspi.STATE_FOCUSABLE),
              f"{control.name} does not take the keyboard's focus")

    # A slider moved through the tree reads its new level.
    if effects:
        slider = effects[0]
        for level in (4, 2):
            slider.queryValue().currentValue = level
            deadline = time.time() + 5
            while time.time() < deadline and slider.description != LEVELS[level]:
                time.sleep(0.1)
            check(int(slider.queryValue().currentValue) == level,
                  f"{slider.name} did not move to {level}")
            check(slider.description == LEVELS[level],
                  f"{slider.name} moved to {level} reads {slider.description!r}")

    for failure in failures:
        print("FAILED:", failure)
    print(f"{len(effects)} effect sliders, {len(bars)} volume bars read; "
          f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
