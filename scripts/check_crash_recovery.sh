#!/usr/bin/env bash
# The kill campaign: runs bench/drive_kill_campaign for N runs (default 200, first seed 1), each a
# seeded session of a few hundred commands with real files, killed with SIGKILL at a seeded
# instant, recovered as start-up does and checked against a run of the same seed that was not
# killed. Prints a line a run and the table: runs, lists exact, lists partial, entries naming no
# file, files named by no list. The pictures live in a memory folder; the other file system that
# disposals cross to is a tmpfs mounted here when it can be (as root), else a folder on the disk.
# Not part of CI. Exits 1 when anything was lost or out of step.
#   scripts/check_crash_recovery.sh [runs] [first seed] [commands a session]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${PELLDRAKE_BUILD_DIR:-build}
runs=${1:-200}
first_seed=${2:-1}
commands=${3:-300}

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
nice -n 10 cmake --build "$build" -j2 --target drive_kill_campaign >/dev/null

memory=/dev/shm
[ -d "$memory" ] && [ -w "$memory" ] || memory=${TMPDIR:-/tmp}
work=$(mktemp -d "$memory/pelldrake-campaign-XXXXXX")
other=$(mktemp -d /var/tmp/pelldrake-campaign-other-XXXXXX)
mounted=
cleanup() {
    [ -z "$mounted" ] || umount "$other" || true
    rm -rf "$work" "$other"
}
trap cleanup EXIT
if mount -t tmpfs -o size=2g,mode=0700 pelldrake-campaign "$other" 2>/dev/null; then
    mounted=1
else
    echo "no tmpfs could be mounted: the other folder is on the disk, $other"
fi

"$build/bench/drive_kill_campaign" "$runs" "$work" "$other" "$first_seed" "$commands"
