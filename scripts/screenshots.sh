#!/usr/bin/env bash
# Renders every board layout, collapsed and expanded, with sample photographs, to PNG files
# (default folder: docs/screenshots/), under a virtual X server. With QT_SCALE_FACTOR=2 set, the
# virtual screen is twice as large and the pictures show the HiDPI rendering.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
out=${1:-docs/screenshots}
scale=${QT_SCALE_FACTOR:-1}
screen="$((1600 * ${scale%.*}))x$((1000 * ${scale%.*}))x24"
xvfb-run -a -s "-screen 0 $screen" "${PELLDRAKE_BUILD_DIR:-build}/devtools/render_board" "$out"
ls -1 "$out"/*.png
