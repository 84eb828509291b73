#!/usr/bin/env bash
# Installs what the build needs (only what is missing), then configures and builds.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-image-formats-plugins qt6-translations-l10n libgl-dev libexiv2-dev libxcb1-dev
    libheif-dev libjxl-dev
    fonts-ipafont-gothic
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth imagemagick
    libheif-examples libavif-bin libjxl-tools
    desktop-file-utils appstream
    dosfstools exfatprogs
    libimage-exiftool-perl
)
# More for one job, e.g. clang for the fuzz targets.
read -r -a extra <<<"${PELLDRAKE_EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")
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

[ -z "${PELLDRAKE_SETUP_ONLY:-}" ] || exit 0

# PELLDRAKE_SANITIZE=address,undefined builds every target with those sanitizers, in its own folder.
build_dir=${PELLDRAKE_BUILD_DIR:-build${PELLDRAKE_SANITIZE:+-sanitize}}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLDRAKE_SANITIZE="${PELLDRAKE_SANITIZE:-}" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
