#!/usr/bin/env bash
# Makes the README's picture of the installed program under Wine
# (docs/screenshot-sendto.png): the installer run silently in a fresh prefix,
# then Wine's desktop with the Send to folder open in its Explorer, holding
# the shortcut "クイロン", and the Start menu's Programs showing "クイロン".
# Wine's Explorer has no "Send to" menu of its own, so the folder it draws
# that menu from is shown instead. Everything runs on a private X server.
# Usage: scripts/screenshot_sendto.sh [OUTPUT.png]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
output=$(realpath -m "${1:-$root/docs/screenshot-sendto.png}")
source "$root/scripts/deps.sh"
ensure_packages imagemagick
source "$root/scripts/x_session.sh"
source "$root/scripts/wine_prefix.sh"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/quillon-sendto.XXXXXX")
XS_DIR="$scratch"
trap 'wine_prefix_stop; x_session_stop; rm -rf "$scratch"' EXIT
unset DISPLAY WAYLAND_DISPLAY
x_start_server
wine_prefix_start "$scratch"
msi=$("$root/scripts/package_win32.sh" "$scratch" | head -n 1)
wine_prefix_wait_boot
# A Japanese font in place of the dialogs' (see docs/developing.md), and every window
# inside one Wine desktop of 800 x 500 with its Start menu.
"$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'IPAPGothic' /f \
  >/dev/null 2>&1
"$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
  /v 'MS Shell Dlg' /d 'MS UI Gothic' /f >/dev/null 2>&1
"$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
"$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 800x500 /f >/dev/null 2>&1
"$WINE" msiexec /i "Z:$msi" /qn

"$WINE" explorer /desktop=shell,800x500 >"$scratch/desktop.log" 2>&1 &
XS_PIDS+=($!)
desktop=$(timeout 120 xdotool search --sync --onlyvisible --name '^shell - Wine desktop$' | head -n 1)
send_to=$("$WINE" winepath -w "$(find "$WINEPREFIX/drive_c/users" -type d -name SendTo | head -n 1)")
"$WINE" explorer "$send_to" >"$scratch/explorer.log" 2>&1 &
XS_PIDS+=($!)
timeout 120 xdotool search --sync --onlyvisible --name '^SendTo$' >/dev/null

# Wine draws its desktop's windows and menus inside one X window: each step
# is done once that window has repainted.
step() {
  local before
  before=$(x_capture "$desktop")
  xdotool "$@"
  x_wait_repainted "$desktop" "$before"
}
# The Start button, bottom left; then Programs, the menu's first item.
step mousemove --window "$desktop" 28 490 click 1
step mousemove --window "$desktop" 43 428
step mousemove --window "$desktop" 140 428
mkdir -p "$(dirname "$output")"
import -window "$desktop" "$output"
echo "$output"
