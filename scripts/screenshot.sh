#!/usr/bin/env bash
# Makes the README's screenshot (docs/screenshot.png) the way the end-to-end
# test drives the program: a private Xvfb with a window manager, sample files
# of a scratch directory as arguments, a first name typed, Enter to generate.
# Usage: scripts/screenshot.sh [OUTPUT.png]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
output=$(realpath -m "${1:-$here/docs/screenshot.png}")
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
import -window "$XS_MAIN" "$output"
echo "$output"
