#!/usr/bin/env bash
# PCManFM's context-menu entry end to end, as installed by the package: in a
# private X server and session bus, PCManFM shows a folder of four files;
# three are selected, the context menu opened, the entry checked to show its
# name in the language asked for and chosen; Quillon must then list exactly
# those three (pcmanfm_test.py, through AT-SPI).
# Usage: pcmanfm_test.sh QUILLON_BINARY ACTION_ENTRY_FILE en|ja
set -euo pipefail
binary=$(realpath "$1")
entry_file=$(realpath "$2")
language=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/x_session.sh"

scratch=$(mktemp -d)
work="$scratch/files"
quillon_pid=""
cleanup() {
  if [ "$1" != 0 ]; then
    echo "--- file manager and bus output:" >&2
    cat "$scratch/pcmanfm.log" "$scratch/dbus.log" >&2 || true
  fi
  # Quillon was started by the file manager, not by us: stopped by its id.
  if [ -n "$quillon_pid" ]; then
    kill -TERM "$quillon_pid" 2>/dev/null || true
    x_wait_until "Quillon to end" x_process_gone "$quillon_pid" || kill -KILL "$quillon_pid" || true
  fi
  x_session_stop
  rm -rf "$scratch"
}
trap 'cleanup $?' EXIT

case "$language" in
  en) label="Rename with Quillon" ;;
  # Only the messages' language is asked for, so no Japanese locale is needed.
  ja) label="クイロンでリネーム" && export LANGUAGE=ja ;;
  *) echo "unknown language $language" >&2 && exit 1 ;;
esac

mkdir -p "$work" "$scratch/bin"
for name in "a 10.txt" "a 2.txt" "写真.jpg" "z bystander.txt"; do touch "$work/$name"; done
x_session_start "$scratch"
x_start_session_bus

# The entry as the package installs it, found where the file manager looks;
# its command, quillon, is the binary under test.
mkdir -p "$XDG_DATA_HOME/file-manager/actions" "$XDG_CONFIG_HOME/pcmanfm/default"
cp "$entry_file" "$XDG_DATA_HOME/file-manager/actions/quillon.desktop"
ln -s "$binary" "$scratch/bin/quillon"
export PATH="$scratch/bin:$PATH"
# The detailed list, whose rows and selection AT-SPI reads; GTK 2 speaks
# AT-SPI through these modules, Qt when told so; no GIO daemons.
printf '[ui]\nview_mode=list\n' >"$XDG_CONFIG_HOME/pcmanfm/default/pcmanfm.conf"
export GTK_MODULES=gail:atk-bridge QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export GIO_USE_VFS=local GIO_USE_VOLUME_MONITOR=unix

pcmanfm "$work" >"$scratch/pcmanfm.log" 2>&1 &
fm_pid=$!
XS_PIDS+=("$fm_pid")
# The keyboard's context menu opens in the active window only.
fm_window() { xdotool search --onlyvisible --pid "$fm_pid" --name '^files$' | head -n 1 | grep .; }
x_wait_until "the file manager's window" fm_window
fm_is_active_or_activate() {
  [ "$(xdotool getactivewindow 2>/dev/null)" = "$(fm_window)" ] && return 0
  xdotool windowactivate "$(fm_window)" 2>/dev/null
  return 1
}
x_wait_until "the file manager's window to take the focus" fm_is_active_or_activate
/usr/bin/python3 "$here/pcmanfm_test.py" "$label" "a 2.txt" "a 10.txt" "写真.jpg" | tee "$scratch/out"
quillon_pid=$(tail -n 1 "$scratch/out")
echo "PCManFM ($language): \"$label\" started Quillon with the three selected files"
