"""Walks the accessible tree of the running Ampa over the AT-SPI bus and prints every control a
person can act on that a screen reader could not name. Each argument is a text that some node's
name must hold (what a screen reader must be able to read). Exit status 1 when a control has no
name or an expected text is missing, 2 when Ampa's window was not found."""

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


def ampa():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name.lower() == "ampa" and app.childCount > 0:
                return app
        time.sleep(0.2)
    return None


def walk(node, path, unnamed, seen, names):
    try:
        role = node.getRole()
        showing = node.getState().contains(pyatspi.STATE_SHOWING)
        name = (node.name or "").strip()
    except Exception:
        return
    names.append(name)
    if role in INTERACTIVE and showing:
        seen.append(role)
        if not name:
            unnamed.append(f"{path} {node.getRoleName()}")
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            walk(child, f"{path}/{index}", unnamed, seen, names)


def main():
    app = ampa()
    if app is None:
        print("no accessible application named Ampa")
        return 2
    unnamed, seen, names = [], [], []
    walk(app, "", unnamed, seen, names)
    missing = [text for text in sys.argv[1:] if not any(text in name for name in names)]
    print(f"{len(seen)} controls, {len(unnamed)} without a name, {len(missing)} texts missing")
    for line in unnamed:
        print("  " + line)
    for text in missing:
        print(f"  nothing reads \"{text}\"")
    return 1 if unnamed or missing or not seen else 0


sys.exit(main())
