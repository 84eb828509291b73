#!/usr/bin/env bash
# Kills the real board with SIGKILL while keys sort pictures, starts it again, answers はい to the
# recovery question, and checks that the lists read back from its recovery files before and after
# the restart are the same. Under a virtual X server with openbox; prints what it saw and leaves
# screenshots of the question and the restored board. Not part of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${PELLDRAKE_BUILD_DIR:-build}
rounds=${1:-5}

if [ -z "${PELLDRAKE_CRASH_CHECK_INSIDE:-}" ]; then
    PELLDRAKE_EXTRA_PACKAGES="xdotool openbox imagemagick x11-utils" scripts/setup.sh
    exec xvfb-run -a -s "-screen 0 1600x1200x24" env PELLDRAKE_CRASH_CHECK_INSIDE=1 "$0" "$@"
fi

work=$(mktemp -d)
shots=${PELLDRAKE_SHOTS:-$work/shots}
mkdir -p "$work/bin" "$work/pictures" "$shots"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    [ -n "${PELLDRAKE_SHOTS:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

# A portable copy: its settings and its recovery files live beside it.
cp "$build/pelldrake" "$build/pelldrake.INI" "$build/pelldrake.html" "$work/bin/"
for i in $(seq -w 1 24); do
    convert -size 320x240 "xc:hsl($((10#$i * 15)),80%,50%)" -gravity center -pointsize 72 -annotate 0 "$i" \
        "$work/pictures/P$i.jpg"
done

openbox >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break
    sleep 0.1
done

start_board() {
    "$work/bin/pelldrake" "$@" >/dev/null 2>&1 &
    board_pid=$!
    pids+=("$board_pid")
}
board_window() {
    xdotool search --sync --onlyvisible --name '^イメージ分類$' | head -n 1
}
lists() {
    "$build/bench/drive_recovery" --print "$work/bin" | grep '^list'
}

# Starts the board again after a kill, answers はい, and shows it.
restart_and_restore() {
    start_board
    question=$(xdotool search --sync --onlyvisible --name '^pelldrake$' | head -n 1)
    [ -z "${1:-}" ] || import -window root "$shots/question-$1.png"
    xdotool windowactivate --sync "$question" key Return
    xdotool windowactivate --sync "$(board_window)"
    sleep 0.5
}

failures=0
start_board "$work"/pictures/*.jpg
xdotool windowactivate --sync "$(board_window)"
sleep 0.5
for round in $(seq "$rounds"); do
    [ "$round" -eq 1 ] || restart_and_restore
    # Sorting, stepping, a take-back and an undo, as a user's hand would.
    for key in $(shuf -e 1 2 3 4 5 6 7 8 9 0 Return BackSpace ctrl+z -n 6 -r); do
        xdotool key "$key"
        sleep 0.05
    done
    kill -9 "$board_pid"
    wait "$board_pid" 2>/dev/null || true
    before=$(lists)
    restart_and_restore "$round"
    import -window root "$shots/restored-$round.png"
    # Killed again at once: what it journaled from the restored lists is what it showed.
    kill -9 "$board_pid"
    wait "$board_pid" 2>/dev/null || true
    after=$(lists)
    result=ok
    if [ "$before" != "$after" ]; then
        result=MISMATCH
        failures=$((failures + 1))
    fi
    printf 'round %d: %2s entries in lists 1-10, %2s unclassified: %s\n' "$round" \
        "$(printf '%s\n' "$before" | grep -v '^list 0 ' | tr ' ' '\n' | grep -c '\.jpg' || true)" \
        "$(printf '%s\n' "$before" | grep '^list 0 ' | tr ' ' '\n' | grep -c '\.jpg' || true)" "$result"
    [ "$result" = ok ] || diff <(printf '%s\n' "$before") <(printf '%s\n' "$after") || true
done
[ "$failures" -eq 0 ] || { echo "$failures rounds came back different" >&2; exit 1; }
echo "after each SIGKILL the restarted board showed exactly the lists the killed one had"
