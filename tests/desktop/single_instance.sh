# A second start shows the running window and ends; a second start at login ends quietly; with
# no session bus a lock keeps the second out.
set -euo pipefail
ampa=$1
source "$(dirname "$0")/lib.sh"

start_xembed_host

start first "$ampa" --login
first=$started
wait_for 40 bus_name_owned app.ampa.Ampa || fail "the first start did not take the session's name"
# The start decides on the window as it shows the icon.
wait_for 40 tray_icon >/dev/null || fail "a start at login got no tray icon"
main_window_shown && fail "a start at login with a tray showed the window"

start second "$ampa" --login
wait_gone 40 running $started || fail "a second start at login did not end by itself"
main_window_shown && fail "a second start at login showed the window"

start second "$ampa"
wait_gone 40 running $started || fail "a second start did not end by itself"
wait_for 30 main_window_shown || fail "a second start did not show the running window"
running $first || fail "the first start ended"
[ "$(ampa_processes | wc -l)" -eq 1 ] || fail "more than one Ampa runs"
kill $first
wait $first || true

# No session bus: the lock.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$home/no-bus
start first "$ampa"
first=$started
wait_for 40 test -e "$XDG_RUNTIME_DIR/app.ampa.Ampa.lock" || fail "no lock without a bus"
# Taken as the start begins; the window shows that the start went past it.
wait_for 40 main_window_shown || fail "no window without a bus"
start second "$ampa"
wait_gone 40 running $started || fail "a second start without a bus did not end"
logged second "already runs" || fail "the second start did not say why it ended"
running $first || fail "the first start ended"
echo "1 passed, 0 failed"
