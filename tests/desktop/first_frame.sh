# The window every start shows is drawn with Qt Quick alone: Qt Quick Controls, their style and
# their templates, and Qt Quick Layouts, load when a view that needs them first opens. Loaded
# with the first frame, the Controls cost a start more time than all its views.
set -euo pipefail
ampa=$1
source "$(dirname "$0")/lib.sh"

deferred='lib(qtquick(controls2|templates2)[a-z]*|qquicklayouts)plugin'
loaded() { grep -oE "[^/]*$deferred[^ ]*" "/proc/$1/maps" | sort -u | tr '\n' ' '; }

start ampa env AMPA_REPORT_FIRST_FRAME=1 "$ampa"
pid=$started
wait_for 40 logged ampa "first-frame" || fail "no first frame"
[ -z "$(loaded $pid)" ] || fail "the first frame loaded $(loaded $pid)"
# The window's icon, drawn for the window system at each size, comes after the first frame.
has_icon() { xprop -id "$(main_window)" _NET_WM_ICON | grep -q 'Icon (32 x 32)'; }
wait_for 20 has_icon || fail "the window got no icon"

# The settings pane needs them: they come with it, in the program's style.
keys_to "$(main_window)" ctrl+comma
wait_for 20 eval 'loaded $pid | grep -q controls2' ||
    fail "the settings pane did not load the Controls"
wait_for 20 eval 'loaded $pid | grep -q fusionstyle' ||
    fail "the Controls came without the program's style: $(loaded $pid)"
running $pid || fail "Ampa ended"
echo "1 passed, 0 failed"
