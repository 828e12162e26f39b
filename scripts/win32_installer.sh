#!/usr/bin/env bash
# The Windows installer under Wine, as a user gets the program: an older
# version installed silently, then this one over it (the upgrade leaves one
# product of the new version); the program file, the Start menu and Send to
# shortcuts (their target and icon) and the "Apps & features" entry checked;
# the program started as Explorer's Send to starts it, with three files, and
# its list read back through the clipboard; then a silent uninstall, after
# which no file of the prefix's C: drive and no registry value differs from
# before the first install (the program's journal folder, left empty, is
# removed with it). Wine runs in a fresh prefix of a scratch
# directory on a private X server, removed afterwards with everything
# started here.
# Usage: win32_installer.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/x_session.sh"
source "$root/scripts/wine_prefix.sh"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/quillon-installer.XXXXXX")
cleanup() {
  local status=$1
  if [ "$status" != 0 ]; then
    echo "--- program output:" >&2
    cat "$scratch/quillon.log" >&2 2>/dev/null || true
  fi
  wine_prefix_stop
  x_session_stop
  rm -rf "$scratch"
}
trap 'cleanup $?' EXIT

x_session_start "$scratch"
wine_prefix_start "$scratch"
mapfile -t built < <("$root/scripts/package_win32.sh" "$scratch/packages")
[ ${#built[@]} = 2 ] || fail "packaging did not make an installer and a zip"
msi=${built[0]}
version=${msi##*/quillon-}
version=${version%-x64.msi}
# The older package differs in the fourth number only, which Windows
# Installer leaves out when it compares versions: the hardest upgrade.
if [ "${version##*.}" -gt 0 ]; then
  older=${version%.*}.$((${version##*.} - 1))
else
  older=0.0.0.1
fi
"$root/scripts/package_win32.sh" --version "$older" "$scratch/packages" >/dev/null
"$root/scripts/win32_build.sh" --target quillon_read_shortcut >/dev/null
wine_prefix_wait_boot
drive="$WINEPREFIX/drive_c"

# Every file and folder of the C: drive but Wine's own temporary ones.
drive_listing() {
  (cd "$drive" && find . -path ./windows/temp -prune -o -path './users/*/Temp' -prune -o -print) |
    LC_ALL=C sort
}

# The registry keys below, as text, UTF-8.
registry() {
  local key i=0
  for key in "$@"; do
    i=$((i + 1))
    "$WINE" reg export "$key" "Z:$scratch/export$i.reg" /y >/dev/null 2>&1 || continue
    iconv -f UTF-16 -t UTF-8 "$scratch/export$i.reg" | tr -d '\r'
  done
}

uninstall_keys=('HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
  'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall')

# A shown window of the program besides the main window: its menu.
menu_shown() {
  local id
  for id in $(xdotool search --onlyvisible --class quillon 2>/dev/null); do
    [ "$id" != "$main" ] && return 0
  done
  return 1
}

# The product codes of the uninstall entries named クイロン.
installed_products() {
  registry "${uninstall_keys[@]}" | awk '
    /^\[/ { key = $0; sub(/.*\\/, "", key); sub(/\]$/, "", key) }
    /^"DisplayName"="クイロン"$/ { print key }'
}

# A value of the uninstall entry of this product code.
entry_value() {
  registry "${uninstall_keys[@]}" | awk -v code="$1" -v name="\"$2\"" '
    /^\[/ { inside = index($0, "\\" code "]") > 0; next }
    inside && index($0, name "=") == 1 { sub(/^[^=]*=/, ""); gsub(/"/, ""); print }'
}

# As on Windows, Send to holds entries of its own and Windows Installer's
# cache folder exists: a fresh Wine prefix has neither, and Wine's uninstall
# removes a folder that a component's removal leaves empty.
user_folder=$(dirname "$(find "$drive/users" -maxdepth 4 -type d -name Roaming -path '*/AppData/*' |
  head -n 1)")/Roaming/Microsoft/Windows
mkdir -p "$user_folder/SendTo" "$drive/windows/Installer"
: >"$user_folder/SendTo/Desktop (create shortcut).DeskLink"
# A double click installs for the user alone and asks for no elevation.
msiinfo suminfo "$msi" | grep -q '^Source: 10 ' || fail "the package asks for elevation"
# The portable zip: the program and its README, in a folder of its own.
[ "$(unzip -Z1 "${built[1]}" | LC_ALL=C sort | tr '\n' ' ')" = \
  "quillon-$version/ quillon-$version/README.txt quillon-$version/quillon.exe " ] ||
  fail "the zip holds $(unzip -Z1 "${built[1]}")"
unzip -p "${built[1]}" "quillon-$version/quillon.exe" | cmp -s - "$root/build-win/quillon.exe" ||
  fail "the zip's quillon.exe is another"
before_files=$(drive_listing)

"$WINE" msiexec /i "Z:$scratch/packages/quillon-$older-x64.msi" /qn ||
  fail "installing version $older"
mapfile -t products < <(installed_products)
[ ${#products[@]} = 1 ] || fail "after the first install: ${#products[@]} entries named クイロン"
[ "$(entry_value "${products[0]}" DisplayVersion)" = "$older" ] ||
  fail "the first install is not version $older"
old_product=${products[0]}

"$WINE" msiexec /i "Z:$msi" /qn ||
  fail "installing version $version over $older"
mapfile -t products < <(installed_products)
[ ${#products[@]} = 1 ] || fail "after the upgrade: ${#products[@]} entries named クイロン"
product=${products[0]}
[ "$product" != "$old_product" ] || fail "the upgrade kept the older product"
for expected in "DisplayVersion=$version" Publisher=Tovrenko; do
  value=$(entry_value "$product" "${expected%%=*}")
  [ "$value" = "${expected#*=}" ] || fail "uninstall entry: ${expected%%=*} is '$value'"
done

# The program: in Program Files for every user, or in the user's own
# programs folder (Wine installs for every user where Windows asks).
program=""
for candidate in "$drive/Program Files/Quillon/quillon.exe" \
  "$drive"/users/*/AppData/Local/Programs/Quillon/quillon.exe; do
  [ -f "$candidate" ] && program=$candidate
done
[ -n "$program" ] || fail "quillon.exe is not installed"
cmp -s "$program" "$root/build-win/quillon.exe" || fail "the installed quillon.exe is another"

# A shortcut: where it points, with which icon; its fields are printed
# target, arguments, working directory, icon, icon index.
check_shortcut() {
  local link=$1 fields
  [ -f "$link" ] || fail "no shortcut $link"
  "$WINE" "$root/build-win/tests/quillon_read_shortcut.exe" "Z:$link" "Z:$scratch/link.txt" ||
    fail "cannot read $link"
  mapfile -t fields <"$scratch/link.txt"
  [ "$(realpath "$("$WINE" winepath -u "${fields[0]}" 2>/dev/null)")" = "$(realpath "$program")" ] ||
    fail "$link points to ${fields[0]}"
  [ -z "${fields[1]}" ] || fail "$link passes arguments of its own: ${fields[1]}"
  cmp -s "$("$WINE" winepath -u "${fields[3]}" 2>/dev/null)" "$root/win32/quillon.ico" ||
    fail "$link shows another icon: ${fields[3]}"
  [ "${fields[4]}" = 0 ] || fail "$link shows icon ${fields[4]}"
  target=${fields[0]}
}
check_shortcut "$user_folder/Start Menu/Programs/クイロン.lnk"
check_shortcut "$user_folder/SendTo/クイロン.lnk"

# The program makes its journal folder at its first run, not the install;
# a run that ended leaves it empty, and the uninstall then removes it.
journals="$(dirname "$(dirname "$(dirname "$user_folder")")")/Local/Quillon"
[ ! -e "$journals" ] || fail "the install made $journals"
mkdir "$journals"

# Send to › クイロン with three files selected: Explorer starts the link's
# target with their full paths as arguments. The list's context menu copies
# the old names with their extensions, one row a line, in the list's order:
# exactly the three files, in natural order.
work="$scratch/files"
mkdir "$work"
for name in "b 10.txt" "b 2.txt" "日記.md" "not selected.txt"; do
  printf '%s' "$name" >"$work/$name"
done
(cd "$work" && exec "$WINE" "$target" "Z:$work/b 10.txt" "Z:$work/b 2.txt" "Z:$work/日記.md") \
  >"$scratch/quillon.log" 2>&1 &
QUILLON_PID=$!
XS_PIDS+=("$QUILLON_PID")
main=$(timeout 120 xdotool search --sync --onlyvisible --name '^クイロン$' | head -n 1)
[ -n "$main" ] || fail "the window did not appear"
XS_MAIN=$main
wait_until "the window to take the focus" x_main_is_active_or_activate
# Wine hands the text to X with plain line feeds.
printf 'b 2.txt\nb 10.txt\n日記.md\n' >"$scratch/expected"
# The focus starts on the list. Down from the top: "開く", then past the
# separator the old names without and with their extensions.
x_keys shift+F10
wait_until "the list's context menu" menu_shown
x_keys Down Down Down Return
wait_until "the listed names on the clipboard" x_clipboard_holds "$scratch/expected"
x_keys alt+F4
wait_until "the program to end" x_process_gone "$QUILLON_PID"

"$WINE" msiexec /x "$product" /qn || fail "uninstalling"
[ -z "$(installed_products)" ] || fail "an uninstall entry is left"
after_files=$(drive_listing)
[ "$before_files" = "$after_files" ] ||
  fail "the C: drive differs from before the install:
$(diff <(echo "$before_files") <(echo "$after_files"))"
# Wine's own keys are left out: it notes there the host's menu entries it
# made for the Start menu's shortcuts (in the scratch HOME).
leftover=$(registry HKLM HKCU | awk '/^\[/ { wine = index($0, "\\Software\\Wine\\") > 0 } !wine' |
  grep -i -E 'クイロン|quillon|tovrenko' || true)
[ -z "$leftover" ] || fail "registry values are left: $leftover"
echo "installer under Wine: upgraded $older to $version, started from Send to, uninstalled"
