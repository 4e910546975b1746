#!/usr/bin/env bash
# The desktop tests on a machine that is doing other work: runs the desktop group (ctest's label
# "desktop") N times while busy loops hold every core and foreign Xvfb servers on the display
# numbers 0 to 3 start and stop every few seconds, some ended cleanly and some killed outright
# (leaving their lock and socket files behind, as a crashed server does).
# Usage: stress.sh N [BUILD]      (BUILD: a configured build folder, build/ by default)
#        stress.sh -- COMMAND...  runs the command once under the same load (.ci/run, say)
# STRESS_JOBS=J runs J tests at a time (ctest -j J). Each run's output is kept in a folder that is
# named at the end; the exit status is 0 only when every run passed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" = -- ]; then
    shift
    command=("$@")
else
    runs=${1:?usage: stress.sh N [BUILD] | stress.sh -- COMMAND...}
    build=$(cd "${2:-$here/../../build}" && pwd)
fi
jobs=${STRESS_JOBS:-1}
logs=$(mktemp -d "${TMPDIR:-/tmp}/ampa-stress.XXXXXX")
helpers=()

# The foreign servers' files left behind by a kill are removed once their server is gone, and
# only those: a lock naming a process of someone else's stays.
remove_stale_files() {
    local lock pid
    for lock in /tmp/.X[0-3]-lock; do
        [ -f "$lock" ] || continue
        pid=$(tr -d ' \n' <"$lock")
        grep -qx "$pid" "$logs/foreign.pids" 2>/dev/null || continue
        kill -0 "$pid" 2>/dev/null && continue
        rm -f "$lock" "/tmp/.X11-unix/X${lock#/tmp/.X}"
    done
}
cleanup() {
    [ ${#helpers[@]} -eq 0 ] || kill "${helpers[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    remove_stale_files
}
trap cleanup EXIT

# Foreign displays: every one to four seconds one of :0 to :3 is started if it is not running,
# or stopped, half the time by SIGKILL.
foreign_displays() {
    local -a server=()
    local n
    # Only a server of ours: one that ended by itself may have left its pid to another process.
    running() {
        [ -n "${server[$1]:-}" ] &&
            [[ "$({ tr '\0' ' ' <"/proc/${server[$1]}/cmdline"; } 2>/dev/null)" == "Xvfb :$1 "* ]]
    }
    trap 'for n in 0 1 2 3; do ! running $n || kill -9 "${server[n]}"; done; wait 2>/dev/null; exit 0' TERM
    while :; do
        n=$((RANDOM % 4))
        if running $n; then
            if ((RANDOM % 2)); then kill -9 "${server[n]}"; else kill "${server[n]}"; fi
            wait "${server[n]}" 2>/dev/null || true
            server[n]=
        else
            Xvfb ":$n" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
            server[n]=$!
            echo "${server[n]}" >>"$logs/foreign.pids"
        fi
        sleep "$((1 + RANDOM % 3)).$((RANDOM % 10))"
    done
}

for _ in $(seq "$(nproc)"); do
    bash -c 'while :; do :; done' &
    helpers+=($!)
done
foreign_displays &
helpers+=($!)

if [ -n "${command[*]:-}" ]; then
    status=0
    "${command[@]}" || status=$?
    echo "${command[*]}: status $status under load"
    exit $status
fi

passed=0
started=$SECONDS
for run in $(seq "$runs"); do
    begun=$SECONDS
    if ctest --test-dir "$build" -L '^desktop$' -j "$jobs" --output-on-failure \
        >"$logs/run-$run.log" 2>&1; then
        passed=$((passed + 1))
        echo "run $run: passed in $((SECONDS - begun)) s"
    else
        echo "run $run: FAILED in $((SECONDS - begun)) s: $(grep -E '\*\*\*|Failed|Timeout' \
            "$logs/run-$run.log" | grep -oE 'desktop_[a-z_]+|tst_[a-z]+' | sort -u | tr '\n' ' ')"
    fi
done
echo "$passed of $runs runs passed in $((SECONDS - started)) s; their output is in $logs"
[ "$passed" -eq "$runs" ]
