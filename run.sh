#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillon on the user's display.
# Arguments are file paths, taken as one drop.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/scripts/deps.sh"
ensure_packages "${QUILLON_BUILD_PACKAGES[@]}" "${QUILLON_RUN_PACKAGES[@]}"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target quillon
exec "$here/build/shell/quillon" "$@"
