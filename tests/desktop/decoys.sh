#!/usr/bin/env bash
# The desktop tests again, started from a session full of decoys: they pass as before, and no
# decoy is called. The decoys are the services a desktop installs (a file manager, session
# managers, notifications, the settings portal, the accessibility bus, a tray watcher) in a
# "system" service folder that a bus reading the standard service folders finds through
# XDG_DATA_DIRS, each writing its name when started; and a display, session bus, Wayland display
# and session manager of the user's that write when anything connects (tripwire.py).
# decoys.sh LIST, where each line of LIST is a desktop test: NAME, SECONDS it may take (times
# AMPA_TEST_TIME_FACTOR), then run.sh's arguments. A test that fails or runs out of time is shown
# with all it printed.
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
deadline=$((SECONDS + 60))
until grep -q '^SESSION_MANAGER=' "$decoys/session" 2>/dev/null; do
    if ! kill -0 "$tripwire" 2>/dev/null || [ $SECONDS -ge $deadline ]; then
        echo "FAIL: the tripwire did not start"
        exit 1
    fi
    sleep 0.1
done
while IFS= read -r assignment; do export "${assignment?}"; done <"$decoys/session"
export XDG_DATA_DIRS=$decoys/share:/usr/local/share:/usr/share XDG_RUNTIME_DIR=$decoys/runtime
export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=x11 DESKTOP_SESSION=gnome

# The processes still holding a file open: a test leaves none of its own behind.
holders() {
    local fd
    for fd in /proc/[0-9]*/fd/*; do
        [ "$(readlink "$fd" 2>/dev/null)" = "$1" ] || continue
        fd=${fd#/proc/}
        echo "${fd%%/*} $(tr '\0' ' ' <"/proc/${fd%%/*}/cmdline" 2>/dev/null)"
    done | sort -u
}

failed=()
while IFS=$'\t' read -r -a test; do
    [ ${#test[@]} -gt 0 ] || continue
    name=${test[0]}
    seconds=$((test[1] * ${AMPA_TEST_TIME_FACTOR:-1}))
    status=0
    # An output file of its own: a process a test left behind cannot write into the next one's.
    out=$decoys/$name.out
    # Out of time, run.sh is told first; it has the test say what it saw. Not the list on its
    # standard input: a test that reads it would take the tests after it.
    timeout --foreground -k 60 "$seconds" "$here/run.sh" "${test[@]:2}" >"$out" 2>&1 </dev/null ||
        status=$?
    left=$(holders "$out")
    if [ -n "$left" ]; then
        echo "left running after the test: $left" >>"$out"
        [ "$status" -ne 0 ] && [ "$status" -ne 77 ] || status=1
    fi
    case $status in
    0) echo "passed: $name" ;;
    77) echo "skipped: $name: $(grep -m 1 SKIP "$out")" ;;
    *)
        if [ "$status" -eq 124 ]; then
            echo "FAILED: $name: still running after $seconds s"
        else
            echo "FAILED: $name (status $status):"
        fi
        sed 's/^/    /' "$out"
        failed+=("$name")
        ;;
    esac
done <"$list"

[ ! -s "$calls" ] || { echo "FAIL: decoys were called:"; sort -u "$calls"; exit 1; }
[ -z "$(ls -A "$decoys/runtime")" ] || { echo "FAIL: written into the user's runtime folder:"; ls -A "$decoys/runtime"; exit 1; }
[ ${#failed[@]} -eq 0 ] || { echo "FAIL: ${failed[*]} with decoys around"; exit 1; }
echo "1 passed, 0 failed"
