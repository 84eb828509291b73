#!/usr/bin/env bash
# Builds the Debian package of Pelldrake (prefix /usr, no tests) into dist/.
# Install it with:  sudo apt install ./dist/pelldrake_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
PELLDRAKE_SETUP_ONLY=1 scripts/setup.sh

build_dir=${PELLDRAKE_PACKAGE_BUILD_DIR:-build-package}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DPELLDRAKE_BUILD_TESTS=OFF -DPELLDRAKE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" -j "${PELLDRAKE_JOBS:-$(nproc)}"
dist=$PWD/dist
mkdir -p "$dist"
(cd "$build_dir" && cpack -G DEB -B "$dist" >/dev/null)
rm -rf "$dist/_CPack_Packages"
ls -1 "$dist"/*.deb
