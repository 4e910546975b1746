# Free space below the threshold, noticed: one notification when a scan crosses it, whose action
# opens the window; none while the window is shown, none with the setting off.
set -euo pipefail
ampa=$1
standin=$2
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: a small volume of its own as the home needs root"
    exit 77
fi
# A mount namespace of its own, so the small home is nobody else's business.
if [ -z "${AMPA_PRIVATE_MOUNTS:-}" ]; then
    AMPA_PRIVATE_MOUNTS=1 exec unshare -m --propagation private bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"
mount -t tmpfs -o size=64m tmpfs "$home"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
notes=$work/notes
decided() { logged ampa "low-space notification after a scan: $1" "${2:-0}"; }

start standin "$standin" "$notes" invoke
wait_for 30 bus_name_owned org.freedesktop.Notifications || fail "the stand-in did not start"
start_xembed_host

# Only the icon at login: the first scan finds the small home low on space.
start ampa "$ampa" --login
program=$started
wait_for 30 decided sent || fail "no notification sent"
wait_for 30 test -s "$notes" || fail "no notification"
grep -q '^Disk space is running low|.* free\. Open Ampa to clean up\.|default,Open Ampa$' "$notes" ||
    fail "an unexpected notification: $(cat "$notes")"
wait_for 30 main_window_shown || fail "the notification's action did not open the window"
[ "$(wc -l <"$notes")" -eq 1 ] || fail "more than one notification: $(cat "$notes")"
kill $program
wait $program || true

# The window on screen: it shows the figures, no notification.
rm -f "$notes"
start ampa "$ampa"
program=$started
wait_for 40 decided "the window is shown" || fail "the scan decided nothing"
[ ! -e "$notes" ] || fail "a notification while the window was shown: $(cat "$notes")"
kill $program
wait $program || true

# The setting off.
printf '[General]\nnotifyLowSpace=false\ndidSetupLogin=true\n' >"$XDG_CONFIG_HOME/Ampa/Ampa.conf"
start ampa "$ampa" --login
program=$started
wait_for 40 decided "turned off" || fail "the scan decided nothing"
[ ! -e "$notes" ] || fail "a notification with the setting off: $(cat "$notes")"
echo "1 passed, 0 failed"
