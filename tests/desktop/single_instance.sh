# A second start shows the running window and ends; a second start at login ends quietly; with
# no session bus a lock keeps the second out.
set -euo pipefail
ampa=$1
source "$(dirname "$0")/lib.sh"

start_xembed_host

"$ampa" --login &
first=$!
wait_for 40 bus_name_owned app.ampa.Ampa || fail "the first start did not take the session's name"
sleep 1
main_window_shown && fail "a start at login with a tray showed the window"

timeout 20 "$ampa" --login || fail "a second start at login did not end by itself"
sleep 1
main_window_shown && fail "a second start at login showed the window"

timeout 20 "$ampa" || fail "a second start did not end by itself"
wait_for 30 main_window_shown || fail "a second start did not show the running window"
kill -0 $first || fail "the first start ended"
[ "$(ampa_processes | wc -l)" -eq 1 ] || fail "more than one Ampa runs"
kill $first
wait $first 2>/dev/null || true

# No session bus: the lock.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$home/no-bus
"$ampa" &
first=$!
wait_for 40 test -e "$XDG_RUNTIME_DIR/app.ampa.Ampa.lock" || fail "no lock without a bus"
sleep 1
timeout 20 "$ampa" 2>"$home/second.err" || fail "a second start without a bus did not end"
grep -q "already runs" "$home/second.err" || fail "the second start did not say why it ended"
kill -0 $first || fail "the first start ended"
echo "1 passed, 0 failed"
