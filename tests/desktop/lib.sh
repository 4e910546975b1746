# Shared by the desktop tests: a fresh home, and ways to wait on what the real program does.
# Each test runs inside its own Xvfb display and private session bus (see run.sh).
source "$(dirname "${BASH_SOURCE[0]}")/buses.sh"

home=$(mktemp -d)
cleanup() {
    local pids
    pids=$(jobs -p)
    [ -z "$pids" ] || kill $pids 2>/dev/null || true
    wait 2>/dev/null || true
    umount "$home" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT
export HOME="$home" XDG_RUNTIME_DIR="$home/runtime" XDG_CONFIG_HOME="$home/.config"
export XDG_CACHE_HOME="$home/.cache" XDG_DATA_HOME="$home/.local/share"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Waits up to $1 seconds for the command that follows to succeed (wait_for) or fail (wait_gone).
wait_for() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
wait_gone() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" || return 0
        sleep 0.1
    done
    return 1
}

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

# Where a window lies on the screen: sets x, y, width and height.
geometry_of() {
    eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "x=" $4}
        /Absolute upper-left Y/ {print "y=" $4} /Width:/ {print "width=" $2}
        /Height:/ {print "height=" $2}')"
}

# The tray icon's window inside the XEmbed tray host's panel, when there is one.
tray_icon() {
    local panel
    panel=$(xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ {print $1}')
    [ -n "$panel" ] && xwininfo -id "$panel" -tree | awk '/"Ampa"/ {print $1; exit}' | grep .
}

# Types the keys into the window again and again until the program ends: the window may take a
# moment to be mapped and focused on a loaded machine. False when it never ends.
keys_until_gone() {
    local window=$1 program=$2
    shift 2
    for _ in $(seq 30); do
        keys_to "$window" "$@" 2>/dev/null || true
        wait_gone 1 running "$program" && return 0
    done
    return 1
}

# Focuses the window and types the keys, as a person at the keyboard would.
keys_to() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window"
    sleep 0.3 # the program takes the focus in before the keys come
    xdotool key --clearmodifiers "$@"
}

xembed_host_up() { xwininfo -root -tree | grep -q '"panel": ("panel" "trayer")'; }

# trayer, an XEmbed tray host; started a second time if the first did not come up.
start_xembed_host() {
    local attempt
    for attempt in 1 2 3; do
        trayer --expand false --width 40 --widthtype pixel --height 24 >>"$home/trayer.log" 2>&1 &
        tray_host=$!
        wait_for 20 xembed_host_up && return 0
        kill $tray_host 2>/dev/null || true
    done
    fail "the tray host did not start: $(cat "$home/trayer.log")"
}

# gtk-sni-tray-standalone as the StatusNotifierItem host and watcher, placed at $1 (--top or
# --bottom); started again if the first did not take the watcher's name, as it sometimes does
# not on a loaded machine.
start_sni_host() {
    local edge=$1 attempt host state seen=
    for attempt in 1 2 3; do
        GDK_BACKEND=x11 NO_AT_BRIDGE=1 gtk-sni-tray-standalone --watcher "$edge" --size 24 \
            >>"$home/sni-host.log" 2>&1 &
        host=$!
        wait_for 20 bus_name_owned org.kde.StatusNotifierWatcher && return 0
        # Whether it hung (and where) or ended tells a slow start from a failed one.
        state=$(grep -h '^State' /proc/$host/status 2>/dev/null) || state="ended"
        seen="$seen attempt $attempt: $state $(cat /proc/$host/wchan 2>/dev/null);"
        kill $host 2>/dev/null || true
        wait $host 2>/dev/null || true
    done
    fail "the tray host did not start:$seen the bus held $(gdbus call --session \
        --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.ListNames 2>&1); it printed: $(tail -n 20 "$home/sni-host.log")"
}

# A private accessibility bus with AT-SPI's registry as its only service, in place of the one
# at-spi-bus-launcher would start with the machine's accessibility services. Its address comes
# from the session bus's org.a11y.Bus, here the stand-in $1, as Qt and pyatspi ask for it there
# (Qt 6.4 takes no address from AT_SPI_BUS_ADDRESS: it never enables itself that way).
start_accessibility_bus() {
    local standin=$1 folder=$home/a11y address=unix:path=$home/a11y/bus
    mkdir -p "$folder/services"
    printf '[D-BUS Service]\nName=org.a11y.atspi.Registry\nExec=%s\n' \
        /usr/libexec/at-spi2-registryd >"$folder/services/org.a11y.atspi.Registry.service"
    bus_config accessibility "$address" "$folder/services" >"$folder/bus.conf"
    AT_SPI_BUS_ADDRESS=$address dbus-daemon --nofork --nopidfile --config-file="$folder/bus.conf" &
    wait_for 20 test -S "$folder/bus" || fail "the accessibility bus did not start"
    "$standin" org.a11y.Bus /org/a11y/bus "$folder/calls" "text=$address" &
    wait_for 20 bus_name_owned org.a11y.Bus || fail "the accessibility bus's stand-in did not start"
}
