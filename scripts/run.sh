#!/usr/bin/env bash
# Sets up, builds and starts Pelldrake.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec "${PELLDRAKE_BUILD_DIR:-build}/pelldrake" "$@"
