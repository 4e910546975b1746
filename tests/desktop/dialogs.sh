# A confirmation opens over the window it comes from, wide enough for its title and message,
# and Escape answers Cancel.
set -euo pipefail
ampa=$1
source "$(dirname "$0")/lib.sh"

# Demo mode asks its sample question a moment after the start.
mkdir -p "$XDG_CONFIG_HOME/Ampa"
printf '[General]\ndemo=true\ndemoAsk=2\n' >"$XDG_CONFIG_HOME/Ampa/Ampa.conf"
start ampa "$ampa"
program=$started
wait_for 40 main_window_shown || fail "no window"
main=$(main_window)
# The box has no window title (its title is the heading inside): found by its role.
dialog_window() {
    local id
    for id in $(xwininfo -root -children | awk '/^ +0x/ {print $1}'); do
        xprop -id "$id" WM_WINDOW_ROLE 2>/dev/null | grep -q '"confirmation"' || continue
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' || continue
        echo "$id"
        return 0
    done
    return 1
}
wait_for 40 dialog_window >/dev/null || fail "no confirmation"
dialog=$(dialog_window)
xprop -id "$dialog" WM_TRANSIENT_FOR | grep -qi "window id # $main" \
    || fail "the confirmation is not transient for the main window: $(xprop -id "$dialog" WM_TRANSIENT_FOR)"
geometry_of "$dialog"
[ "$width" -ge 400 ] || fail "the confirmation is only $width pixels wide"
keys_to "$dialog" Escape
wait_gone 15 dialog_window || fail "Escape did not answer the confirmation"
running $program || fail "the program ended"
echo "1 passed, 0 failed"
