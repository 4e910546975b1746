#!/usr/bin/env bash
# Runs one desktop test in a display and session bus of its own: run.sh TEST PROGRAM...
set -euo pipefail
test=$1
shift
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" \
    env QT_QUICK_BACKEND=software LC_ALL=C.UTF-8 bash "$(dirname "$0")/$test" "$@"
