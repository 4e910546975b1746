#!/usr/bin/env bash
# Runs one desktop test in a display and session bus of its own: run.sh TEST PROGRAM...
# Xvfb picks a free display number itself (-displayfd), so tests may run side by side.
set -euo pipefail
test=$1
shift
auth=$(mktemp)
exec {numbers}<> <(:)
Xvfb -displayfd "$numbers" -screen 0 1280x800x24 -nolisten tcp -auth "$auth" 2>/dev/null &
server=$!
trap 'kill $server 2>/dev/null; rm -f "$auth"' EXIT
read -r -t 20 -u "$numbers" display || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=:$display QT_QUICK_BACKEND=software LC_ALL=C.UTF-8 AMPA_TEST_OWN_BUS=1 \
    dbus-run-session -- bash "$(dirname "$0")/$test" "$@"
