#!/usr/bin/env bash
# Runs the Windows program under Wine on this machine, with the given files
# as arguments (relative paths are resolved against the working directory).
# Builds build-win/quillon.exe when it is missing, finds Wine where Debian
# puts it (/usr/lib/wine/), and gives the user's prefix (WINEPREFIX, by
# default ~/.wine) a Japanese font for the dialogs, once.
# Usage: scripts/run_win32.sh [FILE...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/deps.sh"
ensure_packages g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 fonts-ipafont-gothic
source "$root/scripts/wine_prefix.sh"
WINE="$(find_wine_tool wine64 wine)"
[ -f "$root/build-win/quillon.exe" ] || "$root/scripts/win32_build.sh" --target quillon
if ! "$WINE" reg query 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' >/dev/null 2>&1; then
  echo "Giving the Wine prefix a Japanese font for the dialogs (once)" >&2
  wine_prefix_japanese_font
fi
exec "$WINE" "$root/build-win/quillon.exe" "$@"
