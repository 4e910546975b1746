#!/usr/bin/env bash
# Runs one desktop test in a display and session bus of its own: run.sh TEST PROGRAM...
# Xvfb picks a free display number itself (-displayfd), so tests may run side by side. Nothing of
# the session run.sh is started from reaches the test, and the bus starts only the services the
# test writes into $AMPA_TEST_BUS_SERVICES.
set -euo pipefail
test=$1
shift
here=$(dirname "$0")
source "$here/buses.sh"
leave_the_session
desktop=$(mktemp -d)
mkdir -m 0700 "$desktop/runtime"
mkdir "$desktop/services"
# The display's (empty) authority file, never the user's own.
export XDG_RUNTIME_DIR=$desktop/runtime XAUTHORITY=$desktop/xauth
: >"$XAUTHORITY"
exec {numbers}<> <(:)
Xvfb -displayfd "$numbers" -screen 0 1280x800x24 -nolisten tcp -auth "$XAUTHORITY" 2>/dev/null &
server=$!
trap 'kill $server 2>/dev/null; rm -rf "$desktop"' EXIT
read -r -t 20 -u "$numbers" display || { echo "Xvfb did not start" >&2; exit 1; }
bus_config session "unix:path=$desktop/bus" "$desktop/services" >"$desktop/bus.conf"
DISPLAY=:$display QT_QUICK_BACKEND=software LC_ALL=C.UTF-8 AMPA_TEST_OWN_DESKTOP=1 \
    AMPA_TEST_BUS_SERVICES=$desktop/services \
    dbus-run-session --config-file="$desktop/bus.conf" -- bash "$here/$test" "$@"
