# The tray icon follows its host: a host that starts late gets the icon, the icon opens the panel
# beside it inside the screen, and closing the window keeps the program only while the icon is
# really shown. The keyboard closes and quits.
set -euo pipefail
ampa=$1
source "$(dirname "$0")/lib.sh"

"$ampa" &
program=$!
wait_for 40 main_window_shown || fail "no window without a tray host"
start_xembed_host
wait_for 30 tray_icon >/dev/null || fail "a tray host that came late got no icon"

keys_to "$(main_window)" ctrl+w
wait_gone 15 main_window_shown || fail "Ctrl+W did not close the window"
sleep 1
running $program || fail "closing the window ended the program while its icon was shown"

# A click on the icon: the panel, beside the icon and inside the screen.
geometry_of "$(tray_icon)"
icon_y=$y
xdotool mousemove $((x + 10)) $((y + 10)) click 1
wait_for 15 panel_shown || fail "a click on the icon opened no panel"
geometry_of "$(panel_window)"
[ "$x" -ge 0 ] && [ $((x + width)) -le 1280 ] && [ "$y" -ge 0 ] && [ $((y + height)) -le 800 ] \
    || fail "the panel lies outside the screen: ${width}x${height}+${x}+${y}"
gap=$((icon_y - y - height))
[ "$gap" -ge 0 ] && [ "$gap" -lt 40 ] || fail "the panel is not beside the icon (gap $gap)"
keys_to "$(panel_window)" Escape
wait_gone 15 panel_shown || fail "Escape did not close the panel"

# The host goes: so does the icon, and closing the window now ends the program.
kill $tray_host
sleep 3
timeout 20 "$ampa" || fail "a second start did not end"
wait_for 30 main_window_shown || fail "the window did not come back"
keys_to "$(main_window)" ctrl+w
wait_gone 30 running $program || fail "closing the window with no icon left an invisible program"

# Ctrl+Q quits from the window.
"$ampa" &
program=$!
wait_for 40 main_window_shown || fail "no window"
keys_to "$(main_window)" ctrl+q
wait_gone 30 running $program || fail "Ctrl+Q did not quit"
echo "1 passed, 0 failed"
