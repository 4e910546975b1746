"""Stands where a user's session would answer and writes a line to CALLS for every connection:
an X display, a session bus, a Wayland display and a session manager that no test may reach.
Prints the variables that point there as shell assignments once it listens, then serves until
ended. Usage: tripwire.py CALLS FOLDER"""

import os
import selectors
import socket
import sys


def listener(address):
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    server.bind(address)
    server.listen(16)
    return server


def main():
    calls, folder = sys.argv[1], sys.argv[2]
    # X clients try the abstract socket of their display first: a number no local server uses.
    for number in range(4000 + os.getpid() % 1000, 6000):
        if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
            continue
        try:
            display = listener(f"\0/tmp/.X11-unix/X{number}")
            break
        except OSError:
            continue
    bus_name = f"ampa-decoy-bus-{os.getpid()}"
    listeners = {
        "the display": display,
        "the session bus": listener("\0" + bus_name),
        "the Wayland display": listener(os.path.join(folder, "wayland-0")),
        "the session manager": listener(os.path.join(folder, "ice")),
    }
    print(f"DISPLAY=:{number}")
    print(f"DBUS_SESSION_BUS_ADDRESS=unix:abstract={bus_name}")
    print(f"WAYLAND_DISPLAY={folder}/wayland-0")
    print(f"SESSION_MANAGER=local/decoy:{folder}/ice,unix/decoy:{folder}/ice")
    sys.stdout.flush()
    sys.stdout.close()
    selector = selectors.DefaultSelector()
    for what, server in listeners.items():
        selector.register(server, selectors.EVENT_READ, what)
    while True:
        for key, _ in selector.select():
            client, _ = key.fileobj.accept()
            client.close()
            with open(calls, "a", encoding="utf-8") as notes:
                notes.write(f"connected to {key.data}\n")


main()
