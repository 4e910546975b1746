#!/usr/bin/env bash
# The schedule against a real user service manager: `systemd --user` on a session bus of the
# test's own, in a mount namespace whose /run says the machine booted with systemd and whose
# /root is a fresh folder, so the manager's services see only the test's home.
# systemd_user.sh AMPA_CLI
set -euo pipefail
cli=$1

if [ "$(id -u)" != 0 ]; then
    echo "SKIP: needs root for a mount namespace (a user manager runs only where /run says so)"
    exit 77
fi
for tool in unshare systemctl dbus-daemon gdbus /lib/systemd/systemd; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

if [ -z "${AMPA_IN_NAMESPACE:-}" ]; then
    exec env AMPA_IN_NAMESPACE=1 unshare --mount --propagation private -- "$0" "$@"
fi

scratch=$(mktemp -d)
mount -t tmpfs tmpfs /run
mkdir -p /run/systemd/system
mount --bind "$scratch" /root

export HOME=/root XDG_CONFIG_HOME=/root/.config XDG_DATA_HOME=/root/.local/share \
    XDG_CACHE_HOME=/root/.cache XDG_STATE_HOME=/root/.local/state XDG_RUNTIME_DIR=/run/user/0 \
    LC_ALL=C.UTF-8
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
# Its complaint that it may not raise its file limit goes to its log, with the manager's.
bus=$(dbus-daemon --session --address="$DBUS_SESSION_BUS_ADDRESS" --fork --print-pid --nopidfile \
    2>>"$scratch/bus.log")
/lib/systemd/systemd --user >"$scratch/manager.log" 2>&1 &
manager=$!
trap 'kill $manager 2>/dev/null; kill $bus 2>/dev/null; wait; umount /root; umount -R /run; rm -rf "$scratch"' EXIT

owned() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner org.freedesktop.systemd1 2>/dev/null |
        grep -q true
}
deadline=$((SECONDS + 60 * ${AMPA_TEST_TIME_FACTOR:-1}))
until owned; do
    if ! kill -0 $manager 2>/dev/null || [ $SECONDS -ge $deadline ]; then
        echo "the user manager did not start:"
        cat "$scratch/manager.log" "$scratch/bus.log"
        exit 1
    fi
    sleep 0.1
done

fail() { echo "FAIL: $*"; exit 1; }
units=$XDG_CONFIG_HOME/systemd/user

# Weekly: both files written, the timer enabled and waiting, the state shows the next run.
"$cli" schedule weekly >"$scratch/out" || fail "schedule weekly: $(cat "$scratch/out")"
grep -qx "OnCalendar=weekly" "$units/ampa-clean.timer" || fail "the timer is not weekly"
grep -q "^ExecStart=$cli clean --yes$" "$units/ampa-clean.service" || fail "the service's command"
[ "$(systemctl --user is-enabled ampa-clean.timer)" = enabled ] || fail "the timer is not enabled"
[ "$(systemctl --user is-active ampa-clean.timer)" = active ] || fail "the timer is not active"
"$cli" schedule >"$scratch/state"
grep -q "weekly" "$scratch/state" || fail "the state: $(cat "$scratch/state")"
[ "$(wc -l <"$scratch/state")" -ge 2 ] || fail "no next run in: $(cat "$scratch/state")"

# A change of mind replaces the timer in place.
"$cli" schedule daily >/dev/null || fail "schedule daily"
systemctl --user cat ampa-clean.timer | grep -qx "OnCalendar=daily" || fail "the manager kept weekly"

# The timer's service is the quick clean, logged as automatic, in the test's home only.
mkdir -p "$XDG_CACHE_HOME/pip/http"
head -c 100000 /dev/zero >"$XDG_CACHE_HOME/pip/http/blob"
systemctl --user start ampa-clean.service || {
    journalctl --user -u ampa-clean.service --no-pager 2>/dev/null | tail -5
    fail "the service failed"
}
[ ! -e "$XDG_CACHE_HOME/pip/http/blob" ] || fail "the service did not clean"
"$cli" schedule >"$scratch/state"
[ "$(wc -l <"$scratch/state")" -ge 3 ] || fail "no last automatic clean in: $(cat "$scratch/state")"

# Off leaves nothing behind: no unit files, no stamp, nothing the manager knows of.
"$cli" schedule off >/dev/null || fail "schedule off"
[ -z "$(ls -A "$units" 2>/dev/null)" ] || fail "left in $units: $(ls -A "$units")"
[ ! -e "$XDG_DATA_HOME/systemd/timers/stamp-ampa-clean.timer" ] || fail "the timer's stamp stays"
systemctl --user daemon-reload
if systemctl --user list-unit-files 'ampa-clean*' --no-legend | grep -q .; then
    fail "the manager still lists: $(systemctl --user list-unit-files 'ampa-clean*' --no-legend)"
fi

# A program whose folder holds a space is scheduled and runs; one whose name the manager would
# read as another file (a quote, a backslash, "$") is refused with the reason, and leaves nothing.
mkdir -p "/root/my apps"
cp "$cli" "/root/my apps/ampa-cli"
"/root/my apps/ampa-cli" schedule weekly >"$scratch/out" 2>&1 || fail "a space: $(cat "$scratch/out")"
[ "$(systemctl --user show -p LoadState --value ampa-clean.service)" = loaded ] ||
    fail "the service with a space in its path did not load"
mkdir -p "$XDG_CACHE_HOME/pip/http"
head -c 100000 /dev/zero >"$XDG_CACHE_HOME/pip/http/blob"
systemctl --user start ampa-clean.service || fail "the service with a space in its path failed"
[ ! -e "$XDG_CACHE_HOME/pip/http/blob" ] || fail "the service with a space in its path did not clean"
"/root/my apps/ampa-cli" schedule off >/dev/null || fail "schedule off"
for odd in "/root/it's" '/root/a$b' '/root/back\slash' '/root/q"uote'; do
    mkdir -p "$odd"
    cp "$cli" "$odd/ampa-cli"
    if "$odd/ampa-cli" schedule weekly >"$scratch/out" 2>&1; then
        fail "scheduled from $odd: $(cat "$scratch/out")"
    fi
    grep -Eq "cannot be scheduled|tidak bisa dijadwalkan" "$scratch/out" || fail "no reason given: $(cat "$scratch/out")"
    [ -z "$(ls -A "$units" 2>/dev/null)" ] || fail "left in $units after $odd: $(ls -A "$units")"
done
echo "PASS: a real user manager ran the schedule and forgot it"
