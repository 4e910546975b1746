#!/usr/bin/env bash
# Starts the real program under Xvfb with a seeded home, lets it scan, take its screenshots of
# the sidebar layout and the single page, and quit by itself; then checks what it left.
set -euo pipefail
program=$1
shots=$2
source "$(dirname "$0")/../common/servers.sh"
work=$(mktemp -d)
home=$work/home
display_server=
trap '[ -z "$display_server" ] || stop_server "$display_server"; rm -rf "$work"' EXIT
start_display "$work"
mkdir -m 0700 "$home"
mkdir -p "$home/.cache/pip/http" "$home/Downloads" "$shots"
head -c 2000000 /dev/zero | tr '\0' x > "$home/.cache/pip/http/wheel"
head -c 500000 /dev/zero | tr '\0' y > "$home/Downloads/movie.mkv"
rm -f "$shots"/window-*.png

# A clean environment but for the display and the sanitizers' settings of a sanitizer build. The
# bus is one that is not there: with no address at all, libdbus would fork to launch a bus while
# the views load on another thread, and a sanitizer build's child can then wait forever on a lock
# that thread held at the fork.
env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home" AMPA_SCREENSHOTS="$shots" \
    DISPLAY="$DISPLAY" XAUTHORITY="$XAUTHORITY" QT_QUICK_BACKEND=software LC_ALL=C.UTF-8 \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
    ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} ${UBSAN_OPTIONS:+UBSAN_OPTIONS=$UBSAN_OPTIONS} \
    ${LSAN_OPTIONS:+LSAN_OPTIONS=$LSAN_OPTIONS} \
    timeout $((120 * ${AMPA_TEST_TIME_FACTOR:-1})) "$program"

for shot in window-sidebar window-page; do
    size=$(stat -c %s "$shots/$shot.png")
    [ "$size" -gt 20000 ] || { echo "$shot.png is too small: $size bytes"; exit 1; }
done
grep -q '^Exec=.* --login$' "$home/.config/autostart/ampa.desktop"
grep -q '^didSetupLogin=true$' "$home/.config/Ampa/Ampa.conf"
# The program only looked: the cache is still there.
[ -f "$home/.cache/pip/http/wheel" ]
echo "1 passed, 0 failed"
