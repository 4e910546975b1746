# A StatusNotifierItem host that starts after Ampa gets the icon; activating the item (a click in
# the host) opens the panel beside the pointer inside the screen; closing the window keeps the
# program.
set -euo pipefail
ampa=$1
source "$(dirname "$0")/lib.sh"

watcher_items() {
    gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher \
        RegisteredStatusNotifierItems 2>/dev/null
}
registered() { watcher_items | grep -q "'"; }

"$ampa" &
program=$!
wait_for 40 main_window_shown || fail "no window without a tray host"
start_sni_host --bottom
wait_for 30 registered || fail "a tray host that came late got no icon: $(watcher_items)"

# The host tells the item it was clicked, where.
service=$(watcher_items | grep -o "'[^'/]*" | head -n 1 | tr -d "'")
xdotool mousemove 1100 780
gdbus call --session --dest "$service" --object-path /StatusNotifierItem \
    --method org.kde.StatusNotifierItem.Activate 1100 780 >/dev/null
wait_for 15 panel_shown || fail "activating the item opened no panel"
geometry_of "$(panel_window)"
[ "$x" -ge 0 ] && [ $((x + width)) -le 1280 ] && [ "$y" -ge 0 ] && [ $((y + height)) -le 800 ] \
    || fail "the panel lies outside the screen: ${width}x${height}+${x}+${y}"
gap=$((780 - y - height))
[ "$gap" -ge 0 ] && [ "$gap" -lt 40 ] || fail "the panel is not beside the pointer (gap $gap)"

keys_to "$(main_window)" ctrl+w
sleep 1
running $program || fail "closing the window ended the program while its icon was shown"
echo "1 passed, 0 failed"
