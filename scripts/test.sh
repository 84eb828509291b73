#!/usr/bin/env bash
# Sets up, builds and runs every test through ctest. Widget tests need no display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${PELLDRAKE_BUILD_DIR:-build}" --output-on-failure -j "$(nproc)"
