"""Walks the accessible tree of the running Ampa over the AT-SPI bus and prints every control a
person can act on that a screen reader could not name. Each argument is a text that some node's
name must hold (what a screen reader must be able to read); "alert:TEXT" asks for a shown alert or
status whose name or description holds TEXT (a result, a card), as a screen reader announces it.
"press:NAME" presses the shown control whose name starts with NAME instead of checking. Exit status
1 when a control has no name or an expected text is missing, 2 when Ampa's window was not found."""

import sys
import time

import pyatspi

INTERACTIVE = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_MENU_ITEM,
    pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_RADIO_MENU_ITEM, pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_ENTRY, pyatspi.ROLE_LINK, pyatspi.ROLE_PAGE_TAB,
    pyatspi.ROLE_LIST_ITEM,
}
ANNOUNCED = {pyatspi.ROLE_ALERT, pyatspi.ROLE_STATUS_BAR}


def ampa():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name.lower() == "ampa" and app.childCount > 0:
                return app
        time.sleep(0.2)
    return None


def walk(node, path, unnamed, seen, names, announced, controls):
    try:
        role = node.getRole()
        showing = node.getState().contains(pyatspi.STATE_SHOWING)
        name = (node.name or "").strip()
        description = (node.description or "").strip()
    except Exception:
        return
    names.append(name)
    if role in ANNOUNCED and showing:
        announced.append(name + " " + description)
    if role in INTERACTIVE and showing:
        seen.append(role)
        controls.append((name, node))
        if not name:
            unnamed.append(f"{path} {node.getRoleName()}")
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            walk(child, f"{path}/{index}", unnamed, seen, names, announced, controls)


def press(controls, name):
    for control_name, node in controls:
        if control_name.startswith(name):
            action = node.queryAction()
            names = [action.getName(i).lower() for i in range(action.nActions)]
            chosen = next((i for i, n in enumerate(names) if n in ("press", "click")), 0)
            # Focused too: where the action does not reach the button, Return does.
            node.queryComponent().grabFocus()
            action.doAction(chosen)
            print(f"pressed \"{control_name}\" ({names[chosen] if names else 'no action'})")
            return 0
    print(f"no shown control named \"{name}\"")
    return 1


def main():
    app = ampa()
    if app is None:
        print("no accessible application named Ampa")
        return 2
    unnamed, seen, names, announced, controls = [], [], [], [], []
    walk(app, "", unnamed, seen, names, announced, controls)
    pressed = [arg[len("press:"):] for arg in sys.argv[1:] if arg.startswith("press:")]
    if pressed:
        return press(controls, pressed[0])
    missing = []
    for text in sys.argv[1:]:
        if text.startswith("alert:"):
            if not any(text[len("alert:"):] in said for said in announced):
                missing.append(text)
        elif not any(text in name for name in names):
            missing.append(text)
    print(f"{len(seen)} controls, {len(unnamed)} without a name, {len(missing)} texts missing")
    for line in unnamed:
        print("  " + line)
    for text in missing:
        print(f"  nothing reads \"{text}\"")
    for said in announced:
        print(f"  announced: {said}")
    if missing:
        for name in names:
            if "lean" in name or "freed" in name:
                print(f"  reads: {name}")
    return 1 if unnamed or missing or not seen else 0


sys.exit(main())
