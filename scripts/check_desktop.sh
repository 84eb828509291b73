#!/usr/bin/env bash
# Uses the Debian package as a user would, beside a real file manager: installs the .deb into a
# scratch root, starts Thunar and the program under a virtual X server with openbox and a session
# bus, and checks from outside that the window matches its desktop entry, that a second start
# joins the running board, that the desktop entry leaves folders to whatever opened them before
# while the KDE service menu offers them, that a start after a killed board asks whether to bring
# its entries back, and that a picture dragged onto Thunar arrives as a file. Prints a table;
# exits non-zero on any failure. Not part of CI: it needs a window manager and a file manager.
# PELLDRAKE_DEB=path/to.deb checks that package instead of building one with scripts/package.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${PELLDRAKE_DESKTOP_CHECK_INSIDE:-}" ]; then
    PELLDRAKE_SETUP_ONLY=1 PELLDRAKE_EXTRA_PACKAGES="thunar openbox xdotool x11-utils dbus-x11 libglib2.0-bin xdg-utils" \
        scripts/setup.sh
    deb=${PELLDRAKE_DEB:-}
    [ -n "$deb" ] || deb=$(scripts/package.sh | grep '\.deb$' | tail -n 1)
    exec xvfb-run -a -s "-screen 0 1600x1200x24" dbus-run-session -- \
        env PELLDRAKE_DESKTOP_CHECK_INSIDE=1 PELLDRAKE_DEB="$(realpath "$deb")" "$0" "$@"
fi

work=$(mktemp -d)
pids=()
failures=0
rows=()
cleanup() {
    [ ${#rows[@]} -eq 0 ] || { printf '%-44s %-34s %-34s %s\n' check expected seen result; printf '%s\n' "${rows[@]}"; }
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# The scratch root and a user of its own: settings, runtime folder and associations start empty.
root=$work/root
dpkg-deb -x "$PELLDRAKE_DEB" "$root"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_RUNTIME_DIR=$work/runtime XDG_CURRENT_DESKTOP=XFCE
# The scratch root's data after the system's, as a package's files would sit among them.
export XDG_DATA_DIRS=/usr/local/share:/usr/share:$root/usr/share PATH=$root/usr/bin:$PATH
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
update-desktop-database "$root/usr/share/applications"
update-mime-database "$root/usr/share/mime"
entry=$root/usr/share/applications/io.github.pelldrake.Pelldrake.desktop
menu=$root/usr/share/kio/servicemenus/pelldrake-sort.desktop

# Pictures the board shows in a colour found nowhere else on screen, so that a screenshot tells
# where a pane's picture is.
pictures=$work/pictures target=$work/target
mkdir -p "$pictures/more" "$target"
convert -size 320x240 xc:'#ff00ff' "$pictures/first.png"
convert -size 320x240 xc:'#ff00ff' "$pictures/second.png"
convert -size 320x240 xc:'#ff00ff' "$pictures/more/third.png"

openbox >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break
    sleep 0.1
done

row() { # check, expected, seen
    local result=ok
    [ "$2" = "$3" ] || { result=FAIL; failures=$((failures + 1)); }
    rows+=("$(printf '%-44s %-34s %-34s %s' "$1" "$2" "$3" "$result")")
}
boards() { xdotool search --onlyvisible --name '^イメージ分類$' 2>/dev/null | wc -l; }
questions() { xdotool search --onlyvisible --name '^pelldrake$' 2>/dev/null | wc -l; }
# Waits up to 10 s for a count to reach what is wanted; prints the last count.
wait_count() {
    local wanted=$1 count
    shift
    for _ in $(seq 100); do
        count=$("$@")
        [ "$count" = "$wanted" ] && break
        sleep 0.1
    done
    printf '%s' "$count"
}
# The centre of the magenta picture inside a window, in screen coordinates.
picture_centre() {
    local geometry
    import -window root "$work/shot.png"
    geometry=$(convert "$work/shot.png" -crop "$(xdotool getwindowgeometry --shell "$1" |
        awk -F= '/^WIDTH/{w=$2} /^HEIGHT/{h=$2} /^X/{x=$2} /^Y/{y=$2} END{printf "%dx%d+%d+%d", w, h, x, y}')" \
        -fill black +opaque '#ff00ff' -trim -format '%w %h %X %Y' info:)
    read -r w h x y <<<"${geometry//+/ }"
    echo "$((x + w / 2)) $((y + h / 2))"
}
# Drags with the left button from one screen point to another in small steps, as a hand would.
drag() {
    xdotool mousemove "$1" "$2" mousedown 1
    for step in $(seq 1 20); do
        xdotool mousemove $(($1 + ($3 - $1) * step / 20)) $(($2 + ($4 - $2) * step / 20))
        sleep 0.05
    done
    sleep 0.3
    xdotool mouseup 1
}
wait_file() {
    for _ in $(seq 50); do [ -e "$1" ] && { echo arrived; return; }; sleep 0.1; done
    echo missing
}

# 2. The window and its entry.
pelldrake "$pictures/first.png" >"$work/first.log" 2>&1 &
board_pid=$!
pids+=("$board_pid")
board=$(xdotool search --sync --onlyvisible --name '^イメージ分類$' | head -n 1)
wm_class=$(xprop -id "$board" WM_CLASS | sed 's/.*= //; s/"//g; s/ //g')
# On X11 docks match WM_CLASS to StartupWMClass; the desktop file name is Wayland's app id.
row "WM_CLASS of the board" "pelldrake,pelldrake" "$wm_class"
row "StartupWMClass of the entry" "pelldrake" "$(sed -n 's/^StartupWMClass=//p' "$entry")"

# 4. Folders are offered by the service menu, and whatever opened them before still does.
thunar "$target" >/dev/null 2>&1 &
pids+=($!)
fm=$(xdotool search --sync --onlyvisible --class Thunar | head -n 1)
# No list of defaults anywhere, so that the association caches alone decide.
mimeapps=$( (find "$XDG_CONFIG_HOME" /etc/xdg "$XDG_DATA_HOME/applications" /usr/local/share/applications \
    /usr/share/applications "$root/usr/share/applications" -maxdepth 1 -name '*mimeapps.list' 2>/dev/null || true) |
    wc -l)
row "mimeapps.list files on the scratch system" "0" "$mimeapps"
row "xdg-mime default for inode/directory" \
    "$(XDG_DATA_DIRS=/usr/local/share:/usr/share xdg-mime query default inode/directory)" \
    "$(xdg-mime query default inode/directory)"
# Installed into /usr/share, the entry shares one association cache with every other program's,
# whose order (by desktop file id) decides when no mimeapps.list names a default: the default
# with the entry among the system's must be the one without it, whichever viewers are installed.
without=$work/without shared=$work/shared
mkdir -p "$without/applications" "$shared/applications"
cp /usr/share/applications/*.desktop "$without/applications/"
cp /usr/share/applications/*.desktop "$entry" "$shared/applications/"
update-desktop-database "$without/applications"
update-desktop-database "$shared/applications"
row "the same, one shared applications folder" \
    "$(XDG_DATA_DIRS=$without xdg-mime query default inode/directory)" \
    "$(XDG_DATA_DIRS=$shared xdg-mime query default inode/directory)"
# GLib's choice there, which file managers and browsers follow to open a folder.
glib_default() { XDG_DATA_DIRS=$1 gio mime inode/directory | sed -n 's/^Default application for .*: //p'; }
row "GLib's default there" "$(glib_default "$without")" "$(glib_default "$shared")"
# The list is read whole before it is searched: gio writes it line by line, and grep -q, done at the
# first match, would leave gio to die of SIGPIPE, which pipefail reports as a failure.
offered() {
    local apps
    apps=$(gio mime "$1")
    grep -q '^	*io.github.pelldrake.Pelldrake.desktop$' <<<"$apps" && echo offered || echo absent
}
row "Pelldrake in \"Open with\" of a folder" "absent" "$(offered inode/directory)"
row "Pelldrake in \"Open with\" of a PNG" "offered" "$(offered image/png)"
# Clean means not a warning nor a hint either.
validated() {
    if desktop-file-validate "$1" >"$work/validate.log" 2>&1 && [ ! -s "$work/validate.log" ]; then
        echo clean
    else
        head -n 1 "$work/validate.log"
    fi
}
row "desktop-file-validate of the entry" "clean" "$(validated "$entry")"
row "service menu's types" "inode/directory;" "$(sed -n 's/^MimeType=//p' "$menu")"
row "service menu executable" "yes" "$([ -x "$menu" ] && echo yes || echo no)"

xdotool windowmove "$board" 0 0
xdotool windowmove "$fm" 1000 100 windowsize "$fm" 560 600
sleep 0.5

# 3. One board per user.
code=0
pelldrake "$pictures/second.png" || code=$?
row "exit code of a second start with a file" "0" "$code"
row "boards after the second start" "1" "$(boards)"
# A folder from the service menu's action, as KIO runs it (a Thunar custom action runs the same
# command): the running board asks its questions.
command=$(sed -n '/^\[Desktop Action sort\]/,$s/^Exec=//p' "$menu" 2>/dev/null || true)
read -r -a argv <<<"${command% %F}"
"${argv[@]}" "$pictures/more" >/dev/null 2>&1 || true
row "question of the running board on a folder" "1" "$(wait_count 1 questions)"
for _ in 1 2; do # the folder question, then the subfolder question: the first button, Yes
    question=$(xdotool search --onlyvisible --name '^pelldrake$' | head -n 1) || break
    xdotool windowactivate --sync "$question" key Return || true
    sleep 0.5
done
row "boards after the folder" "1" "$(wait_count 1 boards)"
pelldrake --new-window >/dev/null 2>&1 &
own=$!
row "boards with --new-window" "2" "$(wait_count 2 boards)"
kill "$own"
wait "$own" 2>/dev/null || true
wait_count 1 boards >/dev/null

# 5. Drag out of the pane onto Thunar, and back onto the board.
read -r px py <<<"$(picture_centre "$board")"
drag "$px" "$py" 1280 400
row "drag from the pane onto Thunar" "arrived" "$(wait_file "$target/first.png")"
row "original still in place after the drag" "arrived" "$(wait_file "$pictures/first.png")"
drag "$px" "$py" $((px + 40)) $((py + 120))
sleep 1
row "questions after a drag back onto the board" "0" "$(questions)"
xdotool windowactivate --sync "$board" key space
enlarge=$(xdotool search --sync --onlyvisible --name '^拡大ウィンドウ' | head -n 1)
xdotool windowmove "$enlarge" 500 650 windowsize "$enlarge" 400 400
rm -f "$target/first.png"
sleep 0.5
read -r ex ey <<<"$(picture_centre "$enlarge")"
drag "$ex" "$ey" 1280 400
row "drag from the enlarge window onto Thunar" "arrived" "$(wait_file "$target/first.png")"

# 3. A socket left by a killed board is replaced.
kill -9 "$board_pid"
wait "$board_pid" 2>/dev/null || true
row "socket left by the killed board" "1" "$(find "$XDG_RUNTIME_DIR" -type s -name 'pelldrake-*' | wc -l)"
pelldrake "$pictures/first.png" >/dev/null 2>&1 &
pids+=($!)
# The killed board held entries: the new one first asks whether to bring them back. No (key N):
# they are kept aside, and the board takes the picture it was started with.
row "recovery question after the killed board" "1" "$(wait_count 1 questions)"
if question=$(xdotool search --onlyvisible --name '^pelldrake$' | head -n 1); then
    xdotool windowactivate --sync "$question" key n || true
fi
row "boards after a start over the dead socket" "1" "$(wait_count 1 boards)"
code=0
pelldrake "$pictures/second.png" || code=$?
row "exit code of a second start after that" "0" "$code"
row "boards after that second start" "1" "$(boards)"

[ "$failures" -eq 0 ] || { echo "$failures checks failed" >&2; exit 1; }
echo "every check passed"
