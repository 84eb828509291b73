#!/usr/bin/env bash
# Renders every board layout, collapsed and expanded, with sample photographs, to PNG files
# (default folder: docs/screenshots/), under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
out=${1:-docs/screenshots}
xvfb-run -a -s "-screen 0 1600x1000x24" "${PELLDRAKE_BUILD_DIR:-build}/devtools/render_board" "$out"
ls -1 "$out"/*.png
