#!/usr/bin/env bash
# Runs one desktop test in a display and session bus of its own: run.sh TEST PROGRAM...
# Both live from before the test starts until after it ends, so tests may run side by side and
# beside other display servers. Nothing of the session run.sh is started from reaches the test,
# and the bus starts only the services the test writes into $AMPA_TEST_BUS_SERVICES. The
# display's and the bus's output are kept in $AMPA_TEST_LOGS, which a failing test shows.
set -euo pipefail
test=$1
shift
here=$(dirname "$0")
source "$here/buses.sh"
source "$here/../common/servers.sh"
leave_the_session
desktop=$(mktemp -d)
display_server= bus_daemon=
finish() {
    [ -z "$bus_daemon" ] || stop_server "$bus_daemon"
    [ -z "$display_server" ] || stop_server "$display_server"
    rm -rf "$desktop"
}
trap finish EXIT
mkdir -m 0700 "$desktop/runtime"
mkdir "$desktop/services"
export XDG_RUNTIME_DIR=$desktop/runtime AMPA_TEST_LOGS=$desktop
start_display "$desktop"
# What the bus starts gets the bus's own environment: set before it starts.
export QT_QUICK_BACKEND=software LC_ALL=C.UTF-8 AMPA_TEST_OWN_DESKTOP=1
export AMPA_TEST_BUS_SERVICES=$desktop/services
bus_config session "unix:path=$desktop/bus" "$desktop/services" >"$desktop/bus.conf"
start_bus "$desktop/bus.conf" "$desktop/bus.log"
export DBUS_SESSION_BUS_ADDRESS=$bus_address

# Told to stop (out of time), the test alone is stopped first, so that it can still say what it
# saw on its display and bus.
bash "$here/$test" "$@" &
test_pid=$!
trap 'kill -TERM $test_pid 2>/dev/null' TERM
while :; do
    wait $test_pid && status=0 || status=$?
    kill -0 $test_pid 2>/dev/null || break # else the wait was cut short by the signal
done
# A test that passed on a display or bus that had gone would prove nothing.
if ! kill -0 "$display_server" 2>/dev/null; then
    echo "FAIL: the display ended during the test: $(tail -n 20 "$desktop/xvfb.log")" >&2
    status=1
fi
if ! kill -0 "$bus_daemon" 2>/dev/null; then
    echo "FAIL: the session bus ended during the test: $(tail -n 20 "$desktop/bus.log")" >&2
    status=1
fi
exit $status
