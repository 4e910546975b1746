#!/usr/bin/env bash
# The desktop tests again, started from a session full of decoys: they pass as before, and no
# decoy is called. The decoys are the services a desktop installs (a file manager, session
# managers, notifications, the settings portal, the accessibility bus, a tray watcher) in a
# "system" service folder that a bus reading the standard service folders finds through
# XDG_DATA_DIRS, each writing its name when started; and a display, session bus, Wayland display
# and session manager of the user's that write when anything connects (tripwire.py).
# decoys.sh LIST, where each line of LIST is a desktop test: NAME, then run.sh's arguments.
set -euo pipefail
list=$1
here=$(dirname "$0")
decoys=$(mktemp -d)
calls=$decoys/calls
cleanup() {
    [ -z "${tripwire:-}" ] || kill "$tripwire" 2>/dev/null || true
    rm -rf "$decoys"
}
trap cleanup EXIT

services=$decoys/share/dbus-1/services
mkdir -p "$services" "$decoys/runtime"
chmod 0700 "$decoys/runtime"
printf '#!/bin/sh\necho "started $1" >>"%s"\n' "$calls" >"$decoys/started"
chmod +x "$decoys/started"
for name in org.freedesktop.FileManager1 org.gnome.SessionManager org.kde.LogoutPrompt \
    org.xfce.SessionManager org.freedesktop.Notifications org.freedesktop.portal.Desktop \
    org.a11y.Bus org.kde.StatusNotifierWatcher; do
    printf '[D-BUS Service]\nName=%s\nExec=%s %s\n' "$name" "$decoys/started" "$name" \
        >"$services/$name.service"
done

/usr/bin/python3 "$here/tripwire.py" "$calls" "$decoys" >"$decoys/session" &
tripwire=$!
for _ in $(seq 100); do
    grep -q '^SESSION_MANAGER=' "$decoys/session" 2>/dev/null && break
    sleep 0.1
done
grep -q '^SESSION_MANAGER=' "$decoys/session" || { echo "the tripwire did not start"; exit 1; }
while IFS= read -r assignment; do export "${assignment?}"; done <"$decoys/session"
export XDG_DATA_DIRS=$decoys/share:/usr/local/share:/usr/share XDG_RUNTIME_DIR=$decoys/runtime
export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=x11 DESKTOP_SESSION=gnome

failed=()
while IFS=$'\t' read -r -a test; do
    [ ${#test[@]} -gt 0 ] || continue
    status=0
    "$here/run.sh" "${test[@]:1}" >"$decoys/out" 2>&1 || status=$?
    case $status in
    0) echo "passed: ${test[0]}" ;;
    77) echo "skipped: ${test[0]}: $(grep -m 1 SKIP "$decoys/out")" ;;
    *)
        echo "FAILED: ${test[0]}"
        cat "$decoys/out"
        failed+=("${test[0]}")
        ;;
    esac
done <"$list"

[ ! -s "$calls" ] || { echo "FAIL: decoys were called:"; sort -u "$calls"; exit 1; }
[ -z "$(ls -A "$decoys/runtime")" ] || { echo "FAIL: written into the user's runtime folder:"; ls -A "$decoys/runtime"; exit 1; }
[ ${#failed[@]} -eq 0 ] || { echo "FAIL: ${failed[*]} with decoys around"; exit 1; }
echo "1 passed, 0 failed"
