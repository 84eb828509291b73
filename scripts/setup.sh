#!/usr/bin/env bash
# Installs what the build needs (only what is missing), then configures and builds.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-image-formats-plugins qt6-translations-l10n libgl-dev
    fonts-ipafont-gothic
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth imagemagick
    desktop-file-utils appstream
)
# The fuzzers build with clang and libFuzzer; only asked for with PELLDRAKE_FUZZ=1.
if [ "${PELLDRAKE_FUZZ:-0}" = 1 ]; then packages+=(clang libclang-rt-dev); fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

[ -z "${PELLDRAKE_SKIP_BUILD:-}" ] || exit 0
if [ "${PELLDRAKE_FUZZ:-0}" = 1 ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLDRAKE_BUILD_FUZZ=ON \
        -DPELLDRAKE_BUILD_TESTS=OFF -DPELLDRAKE_BUILD_BENCH=OFF >/dev/null
    cmake --build build-fuzz -j "$(nproc)" --target work_state_fuzzer
    exit 0
fi

build_dir=${PELLDRAKE_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
