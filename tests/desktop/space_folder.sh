# `ampa --space FOLDER` opens the space map on that folder; given to a running Ampa, the running
# one looks at it and the second start ends. A relative folder is taken from where it was typed.
set -euo pipefail
ampa=$1
source "$(dirname "$0")/lib.sh"

mkdir -p "$home/Videos" "$home/work/site"
start first "$ampa" --space "$home/Videos"
first=$started
wait_for 40 main_window_shown || fail "no window"
wait_for 20 logged first "space map: $home/Videos" || fail "the map was not opened on the folder"

(cd "$home/work" && start second "$ampa" --space site)
wait_for 40 logged first "space map: $home/work/site" ||
    fail "the running Ampa did not look at the folder the second start named"
wait_gone 40 eval '[ -n "$(pgrep -f -- "--space site")" ]' || fail "the second start did not end"
[ "$(ampa_processes | wc -l)" -eq 1 ] || fail "more than one Ampa runs"
running $first || fail "the first start ended"
echo "1 passed, 0 failed"
