# A fresh Wine prefix in a scratch directory, for running the Windows
# programs without touching the user's own Wine setup. Wine keeps everything
# there, its server's socket included (under TMPDIR); HOME too, where it
# would otherwise link the user's folders and write menu entries.
# Usage: source scripts/wine_prefix.sh; wine_prefix_start SCRATCH_DIR; ...;
# wine_prefix_wait_boot; ...; wine_prefix_stop (from an EXIT trap). Also
# `fail` and `wait_until` for the scripts that drive Windows programs.

WINE=""
WINESERVER=""
WINE_BOOT_PID=""

find_wine_tool() {
  local name
  for name in "$@"; do
    if command -v "$name" >/dev/null; then command -v "$name"; return 0; fi
    if [ -x "/usr/lib/wine/$name" ]; then echo "/usr/lib/wine/$name"; return 0; fi
  done
  echo "none of $* found (install wine64)" >&2
  return 1
}

# Creates the prefix in the background: it takes several seconds of mostly
# waiting, which the caller can spend building.
wine_prefix_start() {
  local scratch=$1
  WINE="$(find_wine_tool wine64 wine)"
  WINESERVER="$(find_wine_tool wineserver64 wineserver)"
  export TMPDIR="$scratch" HOME="$scratch/home" WINEPREFIX="$scratch/prefix"
  export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
  mkdir -p "$HOME"
  "$WINE" wineboot --init >"$scratch/wineboot.log" 2>&1 &
  WINE_BOOT_PID=$!
}

wine_prefix_wait_boot() {
  local pid=$WINE_BOOT_PID
  WINE_BOOT_PID=""
  if ! wait "$pid"; then
    echo "creating the Wine prefix failed:" >&2
    cat "$TMPDIR/wineboot.log" >&2
    return 1
  fi
}

# The dialogs ask for "MS UI Gothic" and "MS Shell Dlg", which a fresh
# prefix lacks; a Japanese font of the host (fonts-ipafont-gothic) stands in,
# in the prefix of WINEPREFIX only.
wine_prefix_japanese_font() {
  "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'IPAPGothic' /f \
    >/dev/null 2>&1
  "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'MS Shell Dlg' /d 'MS UI Gothic' /f >/dev/null 2>&1
}

# Ends every process of the prefix and waits for the server to go.
wine_prefix_stop() {
  if [ -n "$WINE_BOOT_PID" ]; then wait "$WINE_BOOT_PID" 2>/dev/null || true; fi
  if [ -n "$WINESERVER" ]; then
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
  fi
}

# Ends the script with a message; the caller's EXIT trap cleans up.
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Waits for a condition with a generous overall limit; Wine starts slowly
# on a loaded machine. The pause only spaces the checks.
wait_until() {
  local what=$1
  shift
  local deadline=$((SECONDS + 120))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for $what"
    sleep 0.1
  done
}
