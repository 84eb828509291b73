#!/usr/bin/env bash
# Sets up, builds and runs every test through ctest. Widget tests need no display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
# Any sanitizer finding fails its test.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
ctest --test-dir "${PELLDRAKE_BUILD_DIR:-build${PELLDRAKE_SANITIZE:+-sanitize}}" --output-on-failure -j "$(nproc)"
