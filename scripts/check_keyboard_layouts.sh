#!/usr/bin/env bash
# Presses Shift+1 … Shift+0 on the real board, under a virtual X server with a real window manager
# (openbox), once with the US and once with the Japanese keyboard layout, and checks that each
# opens the enlarge window of its own list. Prints a table; exits non-zero on any mismatch.
# Not part of CI: it needs a window manager and changes the (virtual) server's keyboard layout.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${PELLDRAKE_BUILD_DIR:-build}

if [ -z "${PELLDRAKE_KEYBOARD_CHECK_INSIDE:-}" ]; then
    PELLDRAKE_EXTRA_PACKAGES="xdotool openbox x11-xkb-utils x11-xserver-utils" scripts/setup.sh
    # Always a server of its own: setxkbmap would otherwise change the user's layout.
    exec xvfb-run -a -s "-screen 0 1600x1200x24" env PELLDRAKE_KEYBOARD_CHECK_INSIDE=1 "$0" "$@"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

openbox >/dev/null 2>&1 &
pids+=($!)
wm_ready=
for _ in $(seq 100); do
    if xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW; then
        wm_ready=1
        break
    fi
    sleep 0.1
done
[ -n "$wm_ready" ] || { echo "openbox did not start" >&2; exit 1; }

setxkbmap us
"$build/devtools/keyboard_board" "$work" &
pids+=($!)
board=$(xdotool search --sync --onlyvisible --name '^イメージ分類$' | head -n 1)
xdotool windowactivate --sync "$board"

# The title of the visible enlarge window, or "-" when none shows (waits up to 2 s for wanted).
enlarge_title() {
    local wanted=$1 title=-
    for _ in $(seq 20); do
        title=-
        for id in $(xdotool search --onlyvisible --name '^拡大ウィンドウ' 2>/dev/null); do
            title=$(xdotool getwindowname "$id")
        done
        [ "$title" = "$wanted" ] && break
        sleep 0.1
    done
    printf '%s' "$title"
}

failures=0
printf '%-7s %-9s %-8s %-13s %-9s %s\n' layout key keycode "shifted sym" result "enlarge window shown"
for layout in us jp; do
    setxkbmap "$layout"
    for list in 1 2 3 4 5 6 7 8 9 10; do
        code=$((9 + list)) # the digit row's X11 key codes: 10 for 1 … 19 for 0
        symbol=$(xmodmap -pke | awk -v code="$code" '$1 == "keycode" && $2 == code { print $5 }')
        expected="拡大ウィンドウ（分類${list}）"
        xdotool key shift+"$code"
        opened=$(enlarge_title "$expected")
        result=ok
        if [ "$opened" != "$expected" ]; then
            result=MISMATCH
            failures=$((failures + 1))
        fi
        printf '%-7s %-9s %-8s %-13s %-9s %s\n' "$layout" "Shift+$((list % 10))" "$code" "$symbol" "$result" "$opened"
        # Esc on the board hides the enlarge window; without one it would ask to close the board.
        if [ "$opened" != - ]; then
            xdotool key Escape
            [ "$(enlarge_title -)" = - ] || { echo "the enlarge window did not hide on Esc" >&2; exit 1; }
        fi
    done
done
[ "$failures" -eq 0 ] || { echo "$failures mismatches" >&2; exit 1; }
echo "every Shift+digit opened its own list's enlarge window on both layouts"
