#!/usr/bin/env bash
# The real program in a real X server, driven by the keyboard only: files of a
# scratch directory given as arguments, a first name typed, Enter to generate,
# "実行" pressed, the message box confirmed, every file checked on disk under
# its numbered name with its content; then "元に戻す" and every file back.
# The second case pastes a list of names (CR LF line ends) that swaps two
# files, through the list's context menu.
# Usage: e2e_test.sh QUILLON_BINARY number|paste
set -euo pipefail
binary=$(realpath "$1")
case_name=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/x_session.sh"

scratch=$(mktemp -d)
work="$scratch/files"
# On any failure, a timed-out wait included, what the directory and the
# program said; then every process is stopped and the scratch removed.
cleanup() {
  if [ "$1" != 0 ]; then
    echo "--- files:" >&2
    ls -A "$work" >&2 || true
    echo "--- program output:" >&2
    cat "$scratch/quillon.log" >&2 || true
    echo "--- X server and window manager output:" >&2
    cat "$scratch/xvfb.log" "$scratch/openbox.log" >&2 || true
    if [ -n "$QUILLON_PID" ]; then
      echo "--- program running: $(x_process_gone "$QUILLON_PID" && echo no || echo yes)" >&2
    fi
    echo "--- the program's windows:" >&2
    local window
    for window in $(xdotool search --class quillon 2>/dev/null); do
      xwininfo -id "$window" | grep -E 'xwininfo|Map State' >&2 || true
    done
  fi
  x_session_stop
  rm -rf "$scratch"
}
trap 'cleanup $?' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Checks that each of `names` holds the content written under the name of the
# same position in `originals`, and that the directory holds nothing else but
# the file that was not given.
expect_files() {
  local i
  for ((i = 0; i < ${#originals[@]}; i++)); do
    [ -f "$work/${names[i]}" ] || fail "missing ${names[i]}"
    [ "$(cat "$work/${names[i]}")" = "content of ${originals[i]}" ] ||
      fail "${names[i]} does not hold the content of ${originals[i]}"
  done
  local count
  count=$(find "$work" -mindepth 1 -maxdepth 1 | wc -l)
  [ "$count" = $((${#originals[@]} + 1)) ] || fail "$count entries in the directory"
  [ "$(cat "$work/bystander.txt")" = "not given" ] || fail "bystander.txt changed"
}

mkdir "$work"
printf 'not given' >"$work/bystander.txt"
x_session_start "$scratch"

number_and_undo() {
  # Natural order: "a 2" before "a 10"; a space and a Japanese name on the way.
  originals=("a 2.txt" "a 10.txt" "b.jpg" "日記.md")
  for name in "${originals[@]}"; do printf 'content of %s' "$name" >"$work/$name"; done
  # Relative arguments, resolved against the working directory.
  cd "$work"
  x_start_quillon "$binary" "${originals[@]}"
  cd "$scratch"

  # Focus starts on the list; Tab reaches the name field.
  x_keys Tab
  x_type "trip_001"
  x_keys Return
  # Name field -> "連番生成" -> "実行".
  x_keys Tab Tab space
  x_confirm_message_box
  names=("trip_001.txt" "trip_002.txt" "trip_003.jpg" "trip_004.md")
  expect_files

  # With the execution in force only the directory field, "リセット" and
  # "元に戻す" take the focus; it now rests on the directory field.
  x_keys Tab Tab space
  x_confirm_message_box
  names=("${originals[@]}")
  expect_files
  echo "end to end: renamed and undone"
}

paste_swap() {
  originals=("x_1.txt" "x_2.txt")
  for name in "${originals[@]}"; do printf 'content of %s' "$name" >"$work/$name"; done
  printf 'x_2\r\nx_1\r\n' >"$scratch/names"
  x_set_clipboard "$scratch/names"
  x_start_quillon "$binary" "$work/x_1.txt" "$work/x_2.txt"

  # On the list, with no row selected and no new names yet, the menu's
  # enabled entries are the two copies of the old names and the paste.
  x_open_menu
  x_keys Down Down Down Return
  x_wait_until "the menu to close" x_no_popup
  # List -> name field -> ("連番生成" stays disabled with the field empty) -> "実行".
  x_keys Tab Tab space
  x_confirm_message_box
  names=("x_2.txt" "x_1.txt")
  expect_files
  echo "end to end: pasted names swapped two files"
}

case "$case_name" in
  number) number_and_undo ;;
  paste) paste_swap ;;
  *) fail "unknown case $case_name" ;;
esac
