# Under a Wayland compositor (weston, drawn into the Xvfb display): Ampa started at login reaches
# a StatusNotifierItem host with its icon only; the icon opens the window (the compositor would
# not let the panel sit beside it); a second start ends; Ctrl+Q in the window quits.
set -euo pipefail
ampa=$1
source "$(dirname "$0")/lib.sh"

# Read to the end: an awk that left early would end xwininfo mid-write, and the pipe would fail.
compositor_window() {
    xwininfo -root -tree | awk '/"Weston Compositor/ && !id {id = $1} END {print id}' | grep .
}
start weston weston --backend=x11-backend.so --use-pixman --socket=ampa-wayland --width=1280 \
    --height=800 --idle-time=0
wait_for 40 test -S "$XDG_RUNTIME_DIR/ampa-wayland" || fail "weston did not start"
wait_for 40 compositor_window >/dev/null || fail "weston showed no window"
compositor=$(compositor_window)
# The tray host stays an X11 client: the item reaches it over the session bus either way.
start_sni_host --top

export WAYLAND_DISPLAY=ampa-wayland QT_QPA_PLATFORM=wayland
# Ctrl+Q ends it as a quit does, not as a crash.
quits_by_keys() {
    keys_until_gone "$compositor" "$1" ctrl+q || return 1
    local status=0
    wait "$1" || status=$?
    [ "$status" -eq 0 ] || fail "Ampa ended with status $status"
}

start ampa "$ampa" --login
program=$started
wait_for 40 sni_item >/dev/null || fail "no tray item"
gdbus call --session --dest "$(sni_item)" --object-path /StatusNotifierItem \
    --method org.kde.StatusNotifierItem.Activate 640 12 >/dev/null
# The keys go to the surface the compositor focused: the window the icon opened.
quits_by_keys $program || fail "the icon opened no window of Ampa's"

# Again at login, then from the menu: the second start shows the first one's window and ends.
start ampa "$ampa" --login
program=$started
wait_for 40 bus_name_owned app.ampa.Ampa || fail "the start at login did not take its name"
start second "$ampa"
wait_gone 40 running $started || fail "a second start did not end"
quits_by_keys $program || fail "the second start showed no window of Ampa's"

# A confirmation is the main window's child, which the compositor places over it: the demo asks
# its sample question a moment after the start. Seen in what Qt says to the compositor.
mkdir -p "$XDG_CONFIG_HOME/Ampa"
printf '[General]\ndemo=true\ndemoAsk=2\ndidSetupLogin=true\n' >"$XDG_CONFIG_HOME/Ampa/Ampa.conf"
WAYLAND_DEBUG=client start asking "$ampa"
program=$started
# The first toplevel is the main window's; the box's is another, with the main one as parent.
main_toplevel() { grep -o -m 1 'get_toplevel(new id xdg_toplevel@[0-9]*' "$logs/asking.log" | cut -d@ -f2; }
wait_for 40 main_toplevel >/dev/null || fail "no main window"
wait_for 40 grep -q "set_parent(xdg_toplevel@$(main_toplevel))" "$logs/asking.log" ||
    fail "the confirmation is not the main window's child"
kill $program
echo "1 passed, 0 failed"
