# Shared by the desktop tests: a fresh home, programs started with their output kept, waits on
# conditions, and a failure that says what the test waited for and what it saw. Each test runs
# inside its own Xvfb display and private session bus (see run.sh).
source "$(dirname "${BASH_SOURCE[0]}")/buses.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../common/servers.sh"

work=$(mktemp -d)
home=$work/home
logs=$work/logs
mkdir -p "$home" "$logs"
declare -A process_names=()
waited=
reported=

cleanup() {
    local status=$?
    [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || [ -n "$reported" ] ||
        report "the test stopped at line ${failed_line:-?} (${failed_command:-?}), status $status"
    local pids
    pids=$(jobs -p)
    [ -z "$pids" ] || kill $pids 2>/dev/null || true
    wait 2>/dev/null || true
    umount "$home" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# Out of time (ctest's or the decoy run's limit): still say what the test saw.
trap 'report "stopped from outside, out of time"; exit 143' TERM
# Where a command failed outside any check: the report names it.
set -E
trap 'failed_line=$LINENO failed_command=$BASH_COMMAND' ERR
export HOME="$home" XDG_RUNTIME_DIR="$home/runtime" XDG_CONFIG_HOME="$home/.config"
export XDG_CACHE_HOME="$home/.cache" XDG_DATA_HOME="$home/.local/share"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
# Ampa says what it decided (the tray, the notification): the tests wait for that, and a failure
# shows it.
export QT_LOGGING_RULES='ampa.*.info=true'

# start NAME COMMAND...: runs the command in the background with its output kept in
# $logs/NAME.log; its pid in $started. A failure's report says how each one fares.
start() {
    local name=$1
    shift
    "$@" >>"$logs/$name.log" 2>&1 &
    started=$!
    process_names[$started]=$name
}

fail() {
    report "$*"
    exit 1
}

# What a failure says: what failed, what it last waited for in vain, how each process started
# fares (running and where it waits, or how it ended), the names on the session bus, the windows
# on the display, and the last lines of every log.
report() {
    local pid log lines
    reported=1
    {
        echo "FAIL: $*"
        [ -z "$waited" ] || echo "  waited in vain for: $waited"
        for pid in $(printf '%s\n' "${!process_names[@]}" | sort -n); do
            echo "  ${process_names[$pid]} (pid $pid): $(process_state "$pid")"
        done
        # Asked with a limit: the bus or the display may be what hangs.
        echo "  the session bus's names: $(timeout 10 gdbus call --session \
            --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
            --method org.freedesktop.DBus.ListNames 2>&1 | tr '\n' ' ')"
        echo "  windows on the display: $(timeout 10 xwininfo -root -children 2>&1 |
            awk '/^ +0x/ {$1 = ""; print}' | grep -v '(has no name)' | tr '\n' ';')"
        for log in "$logs"/*.log "${AMPA_TEST_LOGS:-/nonexistent}"/*.log; do
            # Not what always comes: a private bus that may not raise its file limit says so, and
            # Xvfb names each display it found taken on its way to a free one.
            lines=$(grep -Ev 'Failed to set fd limit|^_XSERVTrans' "$log" 2>/dev/null |
                tail -n 25) || true
            [ -n "$lines" ] || continue
            echo "  the last lines of $(basename "$log"):"
            sed 's/^/    /' <<<"$lines"
        done
    } >&2
}

process_state() {
    local pid=$1 state status=0
    state=$(awk '/^State:/ {print $2, $3}' "/proc/$pid/status" 2>/dev/null) || state=
    case $state in
    "" | Z*)
        wait "$pid" 2>/dev/null || status=$?
        # 127: its status was taken already (or it was never found).
        if [ "$status" -gt 128 ]; then
            echo "ended by signal $((status - 128))"
        elif [ "$status" -ge 0 ] && [ "$status" -ne 127 ]; then
            echo "ended with status $status"
        else
            echo "ended"
        fi
        ;;
    *) echo "running, $state, waiting in $(cat "/proc/$pid/wchan" 2>/dev/null)" ;;
    esac
}

# The waits' deadlines are for a loaded machine, and longer again for a slower build
# (AMPA_TEST_TIME_FACTOR): a passing test never waits one out.
time_factor=${AMPA_TEST_TIME_FACTOR:-1}

# Waits up to $1 seconds for the command that follows to succeed (wait_for) or fail (wait_gone).
wait_for() {
    local seconds=$(($1 * time_factor))
    shift
    local deadline=$((SECONDS + seconds))
    waited=
    until "$@"; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            waited="$* ($seconds s)"
            return 1
        fi
        sleep 0.1
    done
}
wait_gone() {
    local seconds=$1
    shift
    wait_for "$seconds" fails "$@" || { waited=${waited/#fails /the end of: } && return 1; }
}
fails() { ! "$@"; }

bus_name_owned() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}

# The ids of the viewable windows titled "Ampa" from $1 to $2 pixels wide.
ampa_windows() {
    local min=$1 max=$2 id info width
    for id in $(xwininfo -root -tree | awk '/"Ampa"/ {print $1}'); do
        info=$(xwininfo -id "$id" 2>/dev/null) || continue
        grep -q 'Map State: IsViewable' <<<"$info" || continue
        width=$(awk '/Width:/ {print $2}' <<<"$info")
        if [ "$width" -ge "$min" ] && [ "$width" -le "$max" ]; then echo "$id"; fi
    done
}
main_window() { ampa_windows 600 100000 | head -n 1; }
panel_window() { ampa_windows 200 599 | head -n 1; }
main_window_shown() { [ -n "$(main_window)" ]; }
panel_shown() { [ -n "$(panel_window)" ]; }
running() { kill -0 "$1" 2>/dev/null; }

# The Ampa processes of this test's home (other tests may run their own beside it).
ampa_processes() {
    local pid
    for pid in $(pgrep -x ampa); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "HOME=$home" && echo "$pid"
    done
}

# logged NAME TEXT [N]: whether $logs/NAME.log holds more than N (0) lines with the text.
logged() { [ "$(grep -cF -- "$2" "$logs/$1.log" 2>/dev/null)" -gt "${3:-0}" ]; }

# Where a window lies on the screen: sets x, y, width and height.
geometry_of() {
    eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "x=" $4}
        /Absolute upper-left Y/ {print "y=" $4} /Width:/ {print "width=" $2}
        /Height:/ {print "height=" $2}')"
}

# The window of trayer's panel, once it made one.
trayer_panel() { xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ {print $1}' | grep .; }

# The tray icon's window inside the XEmbed tray host's panel, when there is one.
tray_icon() {
    local panel
    panel=$(trayer_panel) &&
        xwininfo -id "$panel" -tree | awk '/"Ampa"/ && !id {id = $1} END {print id}' | grep .
}

# Types the keys into the window again and again until the program ends: the window may take a
# moment to be mapped and focused on a loaded machine. False when it never ends.
keys_until_gone() {
    local window=$1 program=$2
    shift 2
    local deadline=$((SECONDS + 40 * time_factor))
    while [ "$SECONDS" -lt "$deadline" ]; do
        keys_to "$window" "$@" 2>/dev/null || true
        wait_gone 1 running "$program" && return 0
    done
    waited="$program to end after the keys $* ($((40 * time_factor)) s)"
    return 1
}

# Focuses the window and types the keys, as a person at the keyboard would. The program gets the
# focus before the keys, in the order the display sends them.
keys_to() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window"
    xdotool key --clearmodifiers "$@"
}

xembed_host_up() { trayer_panel >/dev/null; }

# trayer, an XEmbed tray host; sets tray_host.
start_xembed_host() {
    start trayer trayer --expand false --width 40 --widthtype pixel --height 24
    tray_host=$started
    wait_for 60 xembed_host_up || fail "the tray host did not start"
}

# A StatusNotifierItem watcher, then gtk-sni-tray-standalone as the host, placed at $1 (--top or
# --bottom); sets tray_host. Not the host's own watcher (--watcher): the host asks that one for
# its items before it has put its object on the bus, and ends when the answer is an error, as it
# is on a loaded machine.
sni_watcher_answers() { sni_watcher_property ProtocolVersion >/dev/null; }
sni_host_registered() { sni_watcher_property IsStatusNotifierHostRegistered | grep -q true; }
sni_watcher_property() {
    gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1" 2>/dev/null
}
# The bus name of the first item the watcher holds, when it holds one.
sni_item() {
    sni_watcher_property RegisteredStatusNotifierItems | grep -o "'[^'/]*" | head -n 1 |
        tr -d "'" | grep .
}
start_sni_host() {
    start sni-watcher status-notifier-watcher
    wait_for 60 sni_watcher_answers || fail "the StatusNotifierItem watcher did not start"
    GDK_BACKEND=x11 NO_AT_BRIDGE=1 start sni-host gtk-sni-tray-standalone "$1" --size 24
    tray_host=$started
    wait_for 60 sni_host_registered || fail "the tray host did not start"
}

# A private accessibility bus with AT-SPI's registry as its only service, in place of the one
# at-spi-bus-launcher would start with the machine's accessibility services. Its address comes
# from the session bus's org.a11y.Bus, here the stand-in $1, as Qt and pyatspi ask for it there
# (Qt 6.4 takes no address from AT_SPI_BUS_ADDRESS: it never enables itself that way).
start_accessibility_bus() {
    local standin=$1 folder=$work/a11y address=unix:path=$work/a11y/bus
    mkdir -p "$folder/services"
    printf '[D-BUS Service]\nName=org.a11y.atspi.Registry\nExec=%s\n' \
        /usr/libexec/at-spi2-registryd >"$folder/services/org.a11y.atspi.Registry.service"
    bus_config accessibility "$address" "$folder/services" >"$folder/bus.conf"
    AT_SPI_BUS_ADDRESS=$address start_bus "$folder/bus.conf" "$logs/a11y-bus.log" ||
        fail "the accessibility bus did not start"
    process_names[$bus_daemon]=a11y-bus
    start a11y-standin "$standin" org.a11y.Bus /org/a11y/bus "$folder/calls" "text=$address"
    wait_for 30 bus_name_owned org.a11y.Bus || fail "the accessibility bus's stand-in did not start"
}
