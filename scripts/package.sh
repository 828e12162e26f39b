#!/usr/bin/env bash
# Builds the Debian package quillon_<version>_<arch>.deb and leaves it in the
# repository's top directory. Optimised as the tested build is (-O2; GCC 12
# reports false -Wrestrict errors at -O3), stripped by CPack.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/scripts/deps.sh"
ensure_packages "${QUILLON_BUILD_PACKAGES[@]}"
tree="$here/build-package"
cmake -S "$here" -B "$tree" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLON_BUILD_TESTS=OFF -DQUILLON_BUILD_BENCH=OFF >/dev/null
cmake --build "$tree" -j"$(nproc)" --target quillon
rm -rf "$tree/package"
cpack --config "$tree/CPackConfig.cmake" -B "$tree/package" >/dev/null
deb=$(find "$tree/package" -maxdepth 1 -name 'quillon_*.deb' -print -quit)
mv -f "$deb" "$here/"
echo "$here/$(basename "$deb")"
