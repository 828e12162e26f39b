#!/usr/bin/env bash
# Builds the Windows port's tests and the logic's (incrementally, into
# build-win/) and runs them under Wine in a fresh Wine prefix of a temporary
# directory, which is removed afterwards with the prefix's wineserver, also
# on failure. Wine creates windows (the drop target's tests need some,
# hidden) only on a display: the tests get a private Xvfb of their own,
# stopped afterwards, and never the user's display. Extra arguments go to the
# test programs (for example --gtest_filter=...).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/wine_prefix.sh"
# shellcheck source=scripts/x_session.sh
source "$root/scripts/x_session.sh"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/quillon-wine.XXXXXX")"
XS_DIR="$scratch"
cleanup() {
  wine_prefix_stop
  # The X server goes after Wine, whose processes are its clients.
  x_session_stop
  rm -rf "$scratch"
}
trap cleanup EXIT
unset DISPLAY WAYLAND_DISPLAY
# Only the server: the test windows are never shown, no window manager needed.
x_start_server

wine_prefix_start "$scratch"
"$root/scripts/win32_build.sh" --target quillon_win32_tests quillon_win32_logic_tests \
  quillon_window_tests
wine_prefix_wait_boot
# The port's tests, the logic's, then the windows' shared behaviour; each
# runs even when one before it fails.
status=0
for program in quillon_win32_tests quillon_win32_logic_tests quillon_window_tests; do
  "$WINE" "$root/build-win/tests/$program.exe" "$@" || status=1
done
exit "$status"
