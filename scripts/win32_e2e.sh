#!/usr/bin/env bash
# The Windows program under Wine, in a private X server, driven by the
# keyboard only. First a run cut short by the end of its process
# (tests/win32/cut_run.cpp) is found at the program's start, the question
# answered with Enter, and its files checked under their planned names. Then
# the files of a scratch directory given as arguments (some
# relative), the first row moved two places down (by the list's menu,
# "並べ替え" › "下へ移動", then by Alt+Down), a first name typed into the
# name field, Enter to generate, "実行" pressed, the message box confirmed,
# every file checked on disk under its numbered name in the rows' new order
# with its content (another program holds one file open on
# the way, and the retry dialog lets the run go on once it has let go); then
# "元に戻す" and every file back; then the window closed. Nothing of the
# program's own is left in its journal folder.
# Builds build-win/quillon.exe first. Wine runs in a fresh prefix of the
# scratch directory, removed afterwards with everything started here.
# Usage: win32_e2e.sh [--screenshot FILE]   (the window with names generated)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
screenshot=""
if [ "${1:-}" = --screenshot ]; then screenshot=$(realpath -m "$2"); fi
source "$root/scripts/x_session.sh"
source "$root/scripts/wine_prefix.sh"
if [ -n "$screenshot" ]; then
  source "$root/scripts/deps.sh"
  ensure_packages imagemagick
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/quillon-e2e.XXXXXX")
work="$scratch/files"
cleanup() {
  local status=$1
  if [ "$status" != 0 ]; then
    echo "--- files:" >&2
    ls -A "$work" >&2 || true
    echo "--- program output:" >&2
    cat "$scratch/quillon.log" >&2 || true
    echo "--- windows:" >&2
    local window
    for window in $(xdotool search --name . 2>/dev/null); do
      echo "$window $(xdotool getwindowname "$window" 2>/dev/null)" >&2
    done
  fi
  wine_prefix_stop
  x_session_stop
  rm -rf "$scratch"
}
trap 'cleanup $?' EXIT

# Every shown window of the program is captioned with its title; the main
# window is the first, a message box another.
program_windows() {
  xdotool search --onlyvisible --name '^クイロン$' 2>/dev/null
}

# The main window and the recovery question may both be shown by the time
# they are looked for: the main window is the taller.
two_program_windows() {
  [ "$(program_windows | wc -l)" -ge 2 ]
}
tallest_program_window() {
  local id
  for id in $(program_windows); do
    echo "$(xdotool getwindowgeometry --shell "$id" | sed -n 's/^HEIGHT=//p') $id"
  done | sort -n | tail -n 1 | cut -d' ' -f2
}

other_window() {
  local id
  for id in $(program_windows); do
    [ "$id" != "$main" ] && echo "$id" && return 0
  done
  return 1
}

holder_ended() {
  ! kill -0 "$holder"
}

program_ended() {
  ! kill -0 "$program"
}

window_gone() {
  ! xdotool getwindowname "$1"
}

is_active() {
  [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
  xdotool windowactivate "$1" 2>/dev/null
  return 1
}

# Waits for the program's message box, presses its default button (OK), and
# waits until it is gone and the main window has the focus again.
confirm_message_box() {
  wait_until "a message box" other_window
  local box
  box=$(other_window)
  wait_until "the message box to take the focus" is_active "$box"
  keys Return
  wait_until "the message box to close" window_gone "$box"
  wait_until "the main window to take the focus" is_active "$main"
}

keys() {
  xdotool key --clearmodifiers "$@"
}

# True when the cut run's files all bear their planned names with their own
# content, and nothing else is there.
series_finished() {
  local i
  for i in 1 2 3 4 5; do
    [ "$(cat "$cut/s$((i + 1)).txt" 2>/dev/null)" = "content of s$i.txt" ] || return 1
  done
  [ "$(find "$cut" -mindepth 1 | wc -l)" = 5 ]
}

journals_empty() {
  [ -z "$(ls -A "$journals" 2>/dev/null)" ]
}

# True when each of `names` holds the content written under the name of the
# same position in `originals`, and the directory holds nothing else but the
# file that was not given.
files_are() {
  local i
  for ((i = 0; i < ${#originals[@]}; i++)); do
    [ "$(cat "$work/${names[i]}" 2>/dev/null)" = "content of ${originals[i]}" ] || return 1
  done
  [ "$(find "$work" -mindepth 1 -maxdepth 1 | wc -l)" = $((${#originals[@]} + 1)) ] || return 1
  [ "$(cat "$work/bystander.txt")" = "not given" ]
}

mkdir -p "$work"
printf 'not given' >"$work/bystander.txt"
# Natural order: "a 2" before "a 10"; a space and a Japanese name on the way.
originals=("a 2.txt" "a 10.txt" "b.jpg" "日記.md")
for name in "${originals[@]}"; do printf 'content of %s' "$name" >"$work/$name"; done

x_session_start "$scratch"
wine_prefix_start "$scratch"
"$root/scripts/win32_build.sh" --target quillon quillon_hold_open quillon_cut_run
wine_prefix_wait_boot
wine_prefix_japanese_font

# A series of five files shifted up by one, its process ended before its
# third move: the journal stays in the prefix's local application data
# folder, and the files stand half way.
cut="$scratch/cut"
mkdir -p "$cut"
for i in 1 2 3 4 5; do printf 'content of s%s.txt' "$i" >"$cut/s$i.txt"; done
status=0
"$WINE" "$root/build-win/tests/quillon_cut_run.exe" 2 "Z:$cut" s1.txt s2.txt s2.txt s3.txt \
  s3.txt s4.txt s4.txt s5.txt s5.txt s6.txt >"$scratch/cut.log" 2>&1 || status=$?
[ "$status" = 3 ] || fail "the run to cut ended with $status instead of being cut"
journals="$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Local)/Quillon"
[ -n "$(find "$journals" -name '*.journal')" ] || fail "the cut run left no journal"
series_finished && fail "the cut run went through"

# The program asks about that run before it takes any file; Enter finishes
# it, and the message box tells the outcome.
"$WINE" "$root/build-win/quillon.exe" >"$scratch/quillon.log" 2>&1 &
program=$!
XS_PIDS+=("$program")
wait_until "the main window and the recovery question" two_program_windows
main=$(tallest_program_window)
question=$(other_window)
wait_until "the question to take the focus" is_active "$question"
keys Return
wait_until "the question to close" window_gone "$question"
confirm_message_box
wait_until "the cut run finished" series_finished
journals_empty || fail "the journal was left: $(ls -A "$journals")"
keys alt+F4
wait_until "the window to close" window_gone "$main"
wait_until "the program to end" program_ended

# Relative arguments but one (Wine shows / as Z:), resolved against the
# working directory.
(cd "$work" && exec "$WINE" "$root/build-win/quillon.exe" "a 2.txt" "a 10.txt" "b.jpg" \
  "Z:$work/日記.md") >"$scratch/quillon.log" 2>&1 &
program=$!
XS_PIDS+=("$program")
main=$(timeout 120 xdotool search --sync --onlyvisible --name '^クイロン$' | head -n 1)
[ -n "$main" ] || fail "the main window did not appear"
wait_until "the main window to take the focus" is_active "$main"

# The focus starts on the list. Home selects the first row, "a 2.txt"; in
# the list's menu Up wraps to the last item, "並べ替え", Right opens it and
# Up wraps to its last item, "下へ移動". Alt+Down moves the row once more.
keys Home shift+F10
wait_until "the list's context menu" x_menus_shown "$main" 1
keys Up Right
wait_until "the order submenu" x_menus_shown "$main" 2
keys Up Return
wait_until "the menu to close" x_menus_shown "$main" 0
keys alt+Down
# Tab reaches the name field (template order).
keys Tab
LC_ALL=C.UTF-8 xdotool type --clearmodifiers "trip_001"
keys Return
if [ -n "$screenshot" ]; then
  # The About box opens only once the names are generated (the window takes
  # its input in order); it is closed again before the picture is taken.
  keys F1
  wait_until "the About box" xdotool search --onlyvisible --name '^バージョン情報$'
  about=$(xdotool search --onlyvisible --name '^バージョン情報$' | head -n 1)
  wait_until "the About box to take the focus" is_active "$about"
  keys Escape
  wait_until "the About box to close" window_gone "$about"
  wait_until "the main window to take the focus" is_active "$main"
  import -frame -window "$main" "$screenshot"
fi
# Another program holds b.jpg open, as a viewer may: its rename meets "in
# use", and the retry dialog waits until the user has closed that program.
"$WINE" "$root/build-win/tests/quillon_hold_open.exe" "Z:$work/b.jpg" "Z:$scratch/held" \
  "Z:$scratch/release" >"$scratch/hold.log" 2>&1 &
holder=$!
XS_PIDS+=("$holder")
wait_until "b.jpg to be held open" test -e "$scratch/held"

# Name field -> "連番生成" -> "実行".
keys Tab Tab space
wait_until "the retry dialog" other_window
retry=$(other_window)
[ -e "$work/b.jpg" ] || fail "b.jpg was renamed while another program held it open"
touch "$scratch/release"
wait_until "the other program to let b.jpg go" holder_ended
wait_until "the retry dialog to take the focus" is_active "$retry"
# Its one button, "再試行", is the default.
keys Return
wait_until "the retry dialog to close" window_gone "$retry"
confirm_message_box
# The rows stand "a 10.txt", "b.jpg", "a 2.txt", "日記.md".
names=("trip_003.txt" "trip_001.txt" "trip_002.jpg" "trip_004.md")
wait_until "the files renamed" files_are

# With the execution in force only the directory field, "リセット" and
# "元に戻す" take the focus; it now rests on the directory field.
keys Tab Tab space
confirm_message_box
names=("${originals[@]}")
wait_until "the files back under their names" files_are

# The close box ends the program without a question, and it leaves no
# settings behind.
keys alt+F4
wait_until "the window to close" window_gone "$main"
wait_until "the program to end" program_ended
if "$WINE" reg query 'HKCU\Software\Tovrenko' >/dev/null 2>&1; then
  fail "the program left a settings key in the registry"
fi
files_are || fail "closing changed the files"
journals_empty || fail "a run left something in the journal folder: $(ls -A "$journals")"
echo "end to end under Wine: a cut run finished at the start; renamed, undone, closed"
