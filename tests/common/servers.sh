# Servers a shell test starts for itself: an Xvfb display and a D-Bus bus, each its own for the
# whole test. Each says on a descriptor of its own when it is ready, so nothing waits a fixed time.

# announced LINE_VAR FD PID LOG: reads the line the server PID writes to FD once it is ready,
# into LINE_VAR; fails, saying so with the end of LOG, when the server ends or two minutes pass.
announced() {
    local -n line=$1
    local fd=$2 pid=$3 log=$4 part waited=0
    line=
    # A read that times out keeps what it read so far.
    until read -r -t 1 -u "$fd" part; do
        line+=$part
        waited=$((waited + 1))
        if ! kill -0 "$pid" 2>/dev/null || [ "$waited" -ge 120 ]; then
            echo "$(basename "$log" .log) did not start in $waited s: $(tail -n 20 "$log")" >&2
            exec {fd}>&-
            return 1
        fi
    done
    line+=$part
    exec {fd}>&-
}

# start_display FOLDER [SIZE]: Xvfb picks a free display number itself (-displayfd), so no number is
# assumed and another server, a test's or anyone's, is never reached; its authority file is
# FOLDER/xauth, empty, never the user's. It does not reset when its last client leaves: while a
# server resets it refuses whoever connects (a program starting as a test's xwininfo leaves), one
# connection in eight under polling. Exports DISPLAY and XAUTHORITY; sets display_server (its
# pid); its output goes to FOLDER/xvfb.log. Its screen is SIZE (1280x800 unless given).
start_display() {
    local folder=$1 size=${2:-1280x800} fd number
    export XAUTHORITY=$folder/xauth
    : >"$XAUTHORITY"
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 "${size}x24" -nolisten tcp -noreset -auth "$XAUTHORITY" \
        >>"$folder/xvfb.log" 2>&1 &
    display_server=$!
    announced number "$fd" "$display_server" "$folder/xvfb.log" || return 1
    export DISPLAY=:$number
}

# start_bus CONFIG LOG: a dbus-daemon on CONFIG, its output appended to LOG; sets bus_daemon (its
# pid) and bus_address once it listens.
start_bus() {
    local config=$1 log=$2 fd
    exec {fd}<> <(:)
    dbus-daemon --nofork --nopidfile --config-file="$config" --print-address="$fd" >>"$log" 2>&1 &
    bus_daemon=$!
    announced bus_address "$fd" "$bus_daemon" "$log"
}

# Ends a server and waits until it is gone: a display server still closing down removes its
# socket's path, which by then may be another server's that took the same number.
stop_server() {
    kill "$1" 2>/dev/null || return 0
    wait "$1" 2>/dev/null || true
}
