# The tray icon follows its host: a host that starts late gets the icon, the icon opens the panel
# beside it inside the screen and keeps it there as it grows, and closing the window keeps the
# program only while the icon is really shown. The keyboard closes and quits.
set -euo pipefail
ampa=$1
source "$(dirname "$0")/lib.sh"
# The demo's figures: its clean removes nothing and reports at once.
mkdir -p "$XDG_CONFIG_HOME/Ampa"
printf '[General]\ndemo=true\ndidSetupLogin=true\n' >"$XDG_CONFIG_HOME/Ampa/Ampa.conf"

start ampa "$ampa"
program=$started
wait_for 40 main_window_shown || fail "no window without a tray host"
start_xembed_host
wait_for 30 tray_icon >/dev/null || fail "a tray host that came late got no icon"

keys_to "$(main_window)" ctrl+w
wait_gone 15 main_window_shown || fail "Ctrl+W did not close the window"

# A click on the icon: the panel, beside the icon and inside the screen. It also shows that
# closing the window kept the program.
geometry_of "$(tray_icon)"
icon_y=$y
xdotool mousemove $((x + 10)) $((y + 10)) click 1
wait_for 15 panel_shown || fail "a click on the icon opened no panel$(running $program ||
    echo ': closing the window ended the program while its icon was shown')"
geometry_of "$(panel_window)"
[ "$x" -ge 0 ] && [ $((x + width)) -le 1280 ] && [ "$y" -ge 0 ] && [ $((y + height)) -le 800 ] ||
    fail "the panel lies outside the screen: ${width}x${height}+${x}+${y}"
panel_grown() { geometry_of "$(panel_window)" && [ "$height" -gt "$before" ]; }
panel_beside_icon() {
    geometry_of "$(panel_window)"
    gap=$((icon_y - y - height))
    [ "$gap" -ge 0 ] && [ "$gap" -lt 40 ]
}
panel_beside_icon || fail "the panel is not beside the icon (gap $gap)"
# The clean's result makes the panel taller: it grows away from its icon, not over it.
before=$height
keys_to "$(panel_window)" Tab Tab Return # past the restart card to the clean button
wait_for 15 panel_grown || fail "the clean's result did not show in the panel"
wait_for 5 panel_beside_icon || fail "the grown panel covers its icon (gap $gap)"
keys_to "$(panel_window)" Escape
wait_gone 15 panel_shown || fail "Escape did not close the panel"

# The host goes: so does the icon, and closing the window now ends the program.
kill $tray_host
wait_for 30 logged ampa "tray host: gone" || fail "Ampa did not notice that the tray host went"
start second "$ampa"
wait_gone 40 running $started || fail "a second start did not end"
wait_for 30 main_window_shown || fail "the window did not come back"
keys_to "$(main_window)" ctrl+w
wait_gone 30 running $program || fail "closing the window with no icon left an invisible program"

# Ctrl+Q quits from the window.
start ampa "$ampa"
program=$started
wait_for 40 main_window_shown || fail "no window"
keys_to "$(main_window)" ctrl+q
wait_gone 30 running $program || fail "Ctrl+Q did not quit"
echo "1 passed, 0 failed"
