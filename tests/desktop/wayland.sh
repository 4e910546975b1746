# Under a Wayland compositor (weston, drawn into the Xvfb display): Ampa started at login reaches
# a StatusNotifierItem host with its icon only; the icon opens the window (the compositor would
# not let the panel sit beside it); a second start ends; Ctrl+Q in the window quits.
set -euo pipefail
ampa=$1
source "$(dirname "$0")/lib.sh"

weston --backend=x11-backend.so --socket=ampa-wayland --width=1280 --height=800 --idle-time=0 \
    >"$home/weston.log" 2>&1 &
wait_for 40 test -S "$XDG_RUNTIME_DIR/ampa-wayland" || fail "weston did not start"
compositor=$(xwininfo -root -tree | awk '/"Weston Compositor/ {print $1; exit}')
# The tray host stays an X11 client: the item reaches it over the session bus either way.
start_sni_host --top

export WAYLAND_DISPLAY=ampa-wayland QT_QPA_PLATFORM=wayland
"$ampa" --login >"$home/ampa.log" 2>&1 &
program=$!
items() {
    gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher \
        RegisteredStatusNotifierItems 2>/dev/null
}
wait_for 40 bash -c "$(declare -f items); items | grep -q \"'\"" ||
    fail "no tray item; Ampa $(running $program && echo running || echo ended): $(tail -n 20 "$home/ampa.log")"
service=$(items | grep -o "'[^'/]*" | head -n 1 | tr -d "'")
gdbus call --session --dest "$service" --object-path /StatusNotifierItem \
    --method org.kde.StatusNotifierItem.Activate 640 12 >/dev/null
sleep 1
running $program || fail "Ampa ended under Wayland: $(cat "$home/ampa.log")"
# The keys go to the surface the compositor focused: the window the icon opened.
keys_until_gone "$compositor" $program ctrl+q || fail "the icon opened no window of Ampa's"

# Again at login, then from the menu: the second start shows the first one's window and ends.
"$ampa" --login >"$home/ampa.log" 2>&1 &
program=$!
wait_for 40 bus_name_owned app.ampa.Ampa || fail "the start at login did not take its name"
timeout 20 "$ampa" || fail "a second start did not end"
keys_until_gone "$compositor" $program ctrl+q || fail "the second start showed no window of Ampa's"
echo "1 passed, 0 failed"
