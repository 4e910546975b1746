# Through the real accessibility bus (AT-SPI), as a screen reader sees Ampa: every control a
# person can act on has a name, on every pane of both layouts, in the settings and in the panel;
# the restart card and an action's result are alerts that name what they say.
set -euo pipefail
ampa=$1
standin=$2
walker=$(dirname "$0")/a11y_tree.py
source "$(dirname "$0")/lib.sh"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=1
start_accessibility_bus "$standin"

# Walks the tree until it passes (the views may still be coming up), failing with the last walk.
walk_once() { /usr/bin/python3 "$walker" "$@" >"$logs/walk.txt" 2>&1; }
walk() {
    local what=$1
    shift
    if wait_for 40 walk_once "$@"; then
        echo "$what: $(head -n 1 "$logs/walk.txt")"
    else
        fail "$what: $(cat "$logs/walk.txt")"
    fi
}

start_on() {
    printf '[General]\ndemo=true\ndemoPane=%s\nviewMode=%s\ndidSetupLogin=true\n' "$1" "$2" \
        >"$XDG_CONFIG_HOME/Ampa/Ampa.conf"
    start ampa "$ampa"
    program=$started
    wait_for 40 main_window_shown || fail "no window on $1"
}

stop() {
    kill $program
    wait $program 2>/dev/null || true
}

mkdir -p "$XDG_CONFIG_HOME/Ampa"
start_xembed_host
for pane in cepat lanjutan pengembang proyek downloads aplikasi; do
    start_on $pane sidebar
    # The figures are read too: the free space with what it counts, each cache with its size,
    # each advanced item with its size and note, each file with its size.
    case $pane in
    cepat)
        walk "the $pane pane" " free of " "npm cache, " "alert:Restart suggested. On for "
        walk "the quick clean's button" "press:Clean "
        grep -q '"Clean' "$logs/walk.txt" && keys_to "$(main_window)" Return
        walk "the quick clean's result" "alert:Quick clean: " "alert: freed."
        ;;
    lanjutan) walk "the $pane pane" "WhatsApp media" "30.8 GB" ;;
    pengembang) walk "the $pane pane" "Cargo registry, 2.1 GB" "Keep Cargo registry" "Delete Cargo registry" ;;
    proyek) walk "the $pane pane" "ray-tracer, 4.2 GB" "Delete ray-tracer" ;;
    downloads) walk "the $pane pane" "Meeting recording.mp4, 381 MB" ;;
    *) walk "the $pane pane" ;;
    esac
    stop
done

start_on cepat halaman
walk "the single page" " free of " "WhatsApp media" "30.8 GB"
keys_to "$(main_window)" ctrl+comma
walk "the settings sheet" "Language / Bahasa"
keys_to "$(main_window)" Escape
# The panel, from its icon.
geometry_of "$(tray_icon)"
xdotool mousemove $((x + 10)) $((y + 10)) click 1
wait_for 15 panel_shown || fail "no panel"
walk "the panel"
stop
echo "1 passed, 0 failed"
