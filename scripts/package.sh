#!/usr/bin/env bash
# Builds the Debian package of Pelldrake (prefix /usr, no tests) into dist/ and checks it with
# lintian. Install it with:  apt install ./dist/pelldrake_<version>-<release>_<arch>.deb
# The package's maintainer: PELLDRAKE_MAINTAINER="Name <address>" scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
PELLDRAKE_SETUP_ONLY=1 PELLDRAKE_EXTRA_PACKAGES="lintian dpkg-dev ${PELLDRAKE_EXTRA_PACKAGES:-}" scripts/setup.sh

build_dir=${PELLDRAKE_PACKAGE_BUILD_DIR:-build-package}
maintainer=()
[ -z "${PELLDRAKE_MAINTAINER:-}" ] || maintainer=(-DPELLDRAKE_MAINTAINER="$PELLDRAKE_MAINTAINER")
# Debian's hardening flags, as a package built by dpkg-buildpackage would have them.
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    LDFLAGS=$(dpkg-buildflags --get LDFLAGS) \
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DPELLDRAKE_BUILD_TESTS=OFF -DPELLDRAKE_BUILD_BENCH=OFF "${maintainer[@]}" >/dev/null
cmake --build "$build_dir" -j "${PELLDRAKE_JOBS:-$(nproc)}"
dist=$PWD/dist
mkdir -p "$dist"
(cd "$build_dir" && cpack -G DEB -B "$dist" >/dev/null)
rm -rf "$dist/_CPack_Packages"
package=$(ls -1t "$dist"/*.deb | head -n 1)
echo "$package"
# Errors fail the script; warnings and notes are shown for the packager to judge.
lintian --info --display-info "$package"
