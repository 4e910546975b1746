# A StatusNotifierItem host that starts after Ampa gets the icon; activating the item (a click in
# the host) opens the panel beside the pointer inside the screen; closing the window keeps the
# program.
set -euo pipefail
ampa=$1
source "$(dirname "$0")/lib.sh"

# The host tells the item it was clicked, where.
activate_item() {
    xdotool mousemove 1100 780
    gdbus call --session --dest "$service" --object-path /StatusNotifierItem \
        --method org.kde.StatusNotifierItem.Activate 1100 780 >/dev/null
}

start ampa "$ampa"
program=$started
wait_for 40 main_window_shown || fail "no window without a tray host"
start_sni_host --bottom
wait_for 30 sni_item >/dev/null || fail "a tray host that came late got no icon"
service=$(sni_item)
keys_to "$(main_window)" ctrl+w
wait_gone 15 main_window_shown || fail "Ctrl+W did not close the window"
# The item opens the panel; that also shows that closing the window kept the program.
activate_item
wait_for 15 panel_shown || fail "activating the item opened no panel$(running $program ||
    echo ': closing the window ended the program while its icon was shown')"
geometry_of "$(panel_window)"
[ "$x" -ge 0 ] && [ $((x + width)) -le 1280 ] && [ "$y" -ge 0 ] && [ $((y + height)) -le 800 ] ||
    fail "the panel lies outside the screen: ${width}x${height}+${x}+${y}"
gap=$((780 - y - height))
[ "$gap" -ge 0 ] && [ "$gap" -lt 40 ] || fail "the panel is not beside the pointer (gap $gap)"
echo "1 passed, 0 failed"
