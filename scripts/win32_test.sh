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

find_wine_tool() {
  local name
  for name in "$@"; do
    if command -v "$name" >/dev/null; then command -v "$name"; return 0; fi
    if [ -x "/usr/lib/wine/$name" ]; then echo "/usr/lib/wine/$name"; return 0; fi
  done
  echo "win32_test.sh: none of $* found (install wine64)" >&2
  return 1
}
wine="$(find_wine_tool wine64 wine)"
wineserver="$(find_wine_tool wineserver64 wineserver)"

# Wine keeps everything, its server's socket included (under TMPDIR), in
# this one directory; HOME too, where it would otherwise link the user's
# folders and write menu entries.
scratch="$(mktemp -d "${TMPDIR:-/tmp}/quillon-wine.XXXXXX")"
export TMPDIR="$scratch" HOME="$scratch/home" WINEPREFIX="$scratch/prefix"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME"
# shellcheck source=scripts/x_session.sh
source "$root/scripts/x_session.sh"
XS_DIR="$scratch"
boot_pid=
cleanup() {
  if [ -n "$boot_pid" ]; then wait "$boot_pid" 2>/dev/null || true; fi
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w 2>/dev/null || true
  # The X server goes after Wine, whose processes are its clients.
  x_session_stop
  rm -rf "$scratch"
}
trap cleanup EXIT
# Only the server: the test windows are never shown, no window manager needed.
x_start_server

# Creating the prefix takes several seconds of mostly waiting; it runs
# while the compiler works.
"$wine" wineboot --init >"$scratch/wineboot.log" 2>&1 &
boot_pid=$!
"$root/scripts/win32_build.sh" --target quillon_win32_tests quillon_win32_logic_tests
if ! wait "$boot_pid"; then
  boot_pid=
  echo "win32_test.sh: creating the Wine prefix failed:" >&2
  cat "$scratch/wineboot.log" >&2
  exit 1
fi
boot_pid=
# The port's tests, then the logic's; both run even when the first fails.
status=0
for program in quillon_win32_tests quillon_win32_logic_tests; do
  "$wine" "$root/build-win/tests/$program.exe" "$@" || status=1
done
exit "$status"
