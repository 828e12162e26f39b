#!/usr/bin/env bash
# Makes the README's screenshot (docs/screenshot.png) the way the end-to-end
# test drives the program: a private Xvfb with a window manager, sample files
# of a scratch directory as arguments, a first name typed, Enter to generate.
# With --order, docs/screenshot-order.png instead: then two rows selected and
# the list's menu open on its submenu "並べ替え", at "上へ移動".
# Usage: scripts/screenshot.sh [--order] [OUTPUT.png]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
order=false
if [ "${1:-}" = --order ]; then
  order=true
  shift
fi
default=docs/screenshot.png
if $order; then default=docs/screenshot-order.png; fi
output=$(realpath -m "${1:-$here/$default}")
source "$here/scripts/deps.sh"
ensure_packages "${QUILLON_BUILD_PACKAGES[@]}" "${QUILLON_RUN_PACKAGES[@]}" imagemagick
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target quillon
source "$here/scripts/x_session.sh"

scratch=$(mktemp -d)
trap 'x_session_stop; rm -rf "$scratch"' EXIT
work="$scratch/写真"
mkdir "$work"
files=("IMG_0098.jpg" "IMG_0099.jpg" "IMG_0100.jpg" "IMG_0101.JPG" "メモ.txt" "動画 2.mp4" "動画 10.mp4")
for name in "${files[@]}"; do : >"$work/$name"; done

export LANG=ja_JP.UTF-8 LC_ALL=
x_session_start "$scratch"
cd "$work"
x_start_quillon "$here/build/shell/quillon" "${files[@]}"

before=$(x_capture "$XS_MAIN")
x_keys Tab
x_type "旅行_001"
x_keys Return
x_wait_repainted "$XS_MAIN" "$before"
mkdir -p "$(dirname "$output")"
if ! $order; then
  import -window "$XS_MAIN" "$output"
  echo "$output"
  exit 0
fi

# Back to the list: IMG_0101.JPG and メモ.txt selected. Up in the menu wraps
# to its last item, Right opens the submenu at its first, and three times
# Down passes the dates' items to "上へ移動".
x_keys shift+Tab Home Down Down Down shift+Down
x_open_menu
x_keys Up Right
x_wait_until "the order submenu" x_menus_shown "$XS_MAIN" 2
before=$(x_capture root)
x_keys Down Down Down
x_wait_repainted root "$before"
# The menus lie over the window; the screen's picture of the window's place
# holds both.
geometry=$(xwininfo -id "$XS_MAIN" | awk '
  /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
  /Width:/ { w = $NF } /Height:/ { h = $NF } END { print w "x" h "+" x "+" y }')
import -window root -crop "$geometry" +repage "$output"
echo "$output"
