#!/usr/bin/env bash
# The real window read and driven through AT-SPI, the interface screen
# readers use: a private X server and a private session bus, on which the
# accessibility bus is started as a screen reader would find it. The files
# given as arguments are numbered through AT-SPI alone (atspi_test.py), then
# checked on disk.
# Usage: atspi_test.sh QUILLON_BINARY
set -euo pipefail
binary=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/x_session.sh"

scratch=$(mktemp -d)
work="$scratch/files"
cleanup() {
  if [ "$1" != 0 ]; then
    echo "--- files:" >&2
    ls -A "$work" >&2 || true
    echo "--- program and bus output:" >&2
    cat "$scratch/quillon.log" "$scratch/dbus.log" >&2 || true
  fi
  x_session_stop
  rm -rf "$scratch"
}
trap 'cleanup $?' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

mkdir "$work"
originals=("b 10.txt" "b 2.txt" "写真.jpg")
for name in "${originals[@]}"; do printf 'content of %s' "$name" >"$work/$name"; done
x_session_start "$scratch"

x_start_session_bus
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

x_start_quillon "$binary" "$work/${originals[0]}" "$work/${originals[1]}" "$work/${originals[2]}"
# Natural order: "b 2" before "b 10".
/usr/bin/python3 "$here/atspi_test.py" "$QUILLON_PID" "trip_1" trip_1.txt trip_2.txt trip_3.jpg

expect() {
  [ "$(cat "$work/$1")" = "content of $2" ] || fail "$1 does not hold the content of $2"
}
expect trip_1.txt "b 2.txt"
expect trip_2.txt "b 10.txt"
expect trip_3.jpg "写真.jpg"
[ "$(find "$work" -mindepth 1 | wc -l)" = 3 ] || fail "other files: $(ls -A "$work")"
echo "AT-SPI: every control named, files numbered through AT-SPI alone"
