#!/usr/bin/env bash
# Builds the Windows port's tests (incrementally, into build-win/) and runs
# them under Wine in a fresh Wine prefix of a temporary directory, which is
# removed afterwards with the prefix's wineserver, also on failure. The tests
# are a console program: no X server is needed. Extra arguments go to the
# test program (for example --gtest_filter=...).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/wine_prefix.sh"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/quillon-wine.XXXXXX")"
cleanup() {
  wine_prefix_stop
  rm -rf "$scratch"
}
trap cleanup EXIT
unset DISPLAY WAYLAND_DISPLAY

wine_prefix_start "$scratch"
"$root/scripts/win32_build.sh" --target quillon_win32_tests
wine_prefix_wait_boot
"$WINE" "$root/build-win/tests/quillon_win32_tests.exe" "$@"
