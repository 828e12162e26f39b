#!/usr/bin/env bash
# The real program killed in the middle of a run: a few hundred files, each
# rename slowed down from outside (strace injects a delay after every
# renameat2), SIGKILL once the run is well under way; then the program is
# started again, the question about the cut run is answered with Enter
# ("最後まで実行"), and every file must bear its numbered name with its own
# content, with nothing else left in the directory or the state directory.
# Usage: crash_e2e_test.sh QUILLON_BINARY
set -euo pipefail
binary=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/x_session.sh"

scratch=$(mktemp -d)
work="$scratch/files"
cleanup() {
  if [ "$1" != 0 ]; then
    echo "--- files:" >&2
    ls -A "$work" | head -n 40 >&2 || true
    echo "--- journals:" >&2
    ls -lA "$XDG_STATE_HOME/quillon" >&2 || true
    echo "--- program output:" >&2
    cat "$scratch/quillon.log" >&2 || true
  fi
  [ -z "${TRACER_PID:-}" ] || kill -KILL "$TRACER_PID" 2>/dev/null || true
  x_session_stop
  rm -rf "$scratch"
}
trap 'cleanup $?' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

count=300
mkdir "$work"
for ((i = 1; i <= count; i++)); do printf 'content of p%d' "$i" >"$work/p$i.jpg"; done
x_session_start "$scratch"
journals="$XDG_STATE_HOME/quillon"

# The program under strace, which delays each rename by 20 ms: the run takes
# seconds, and the kill lands in its middle.
strace -f -qq -o /dev/null -e trace=renameat2,renameat,rename \
  -e inject=renameat2:delay_exit=20000 "$binary" "$work"/p*.jpg >"$XS_DIR/quillon.log" 2>&1 &
TRACER_PID=$!
traced_child() { pgrep -P "$TRACER_PID" -x quillon; }
x_wait_until "the traced program" traced_child
QUILLON_PID=$(traced_child)
x_wait_until "the main window" x_find_main
XS_MAIN=$(x_find_main)
x_activate_main

x_keys Tab
x_type "trip_001"
x_keys Return
x_keys Tab Tab space

renamed() { find "$work" -maxdepth 1 -name 'trip_*' | wc -l; }
well_under_way() { [ "$(renamed)" -ge 30 ] && compgen -G "$journals/*.journal" >/dev/null; }
x_wait_until "the run to be well under way" well_under_way
kill -KILL "$QUILLON_PID"
x_wait_until "the program to die" x_process_gone "$QUILLON_PID"
wait "$TRACER_PID" 2>/dev/null || true
TRACER_PID=""
done_before=$(renamed)
[ "$done_before" -lt "$count" ] || fail "the run ended before the kill"
compgen -G "$journals/*.journal" >/dev/null || fail "no journal left by the killed run"
echo "killed with $done_before of $count files renamed"

# The next start asks first, before the main window can take the focus;
# Enter finishes the run, and the outcome is told.
"$binary" >"$XS_DIR/quillon.log" 2>&1 &
QUILLON_PID=$!
XS_PIDS+=("$QUILLON_PID")
x_wait_until "the main window" x_find_main
XS_MAIN=$(x_find_main)
# Boxes follow one another here, so the main window need not come back
# between them.
press_enter_in_box() {
  x_wait_until "a message box" x_active_dialog
  local box
  box=$(x_active_dialog)
  xdotool key Return
  x_wait_until "the message box to close" x_window_gone "$box"
}
press_enter_in_box
press_enter_in_box

for ((i = 1; i <= count; i++)); do
  name=$(printf 'trip_%03d.jpg' "$i")
  [ "$(cat "$work/$name" 2>/dev/null)" = "content of p$i" ] || fail "$name does not hold p$i"
done
entries=$(find "$work" -mindepth 1 -maxdepth 1 | wc -l)
[ "$entries" = "$count" ] || fail "$entries entries in the directory"
[ -z "$(ls -A "$journals")" ] || fail "journals left: $(ls -A "$journals")"
echo "crash end to end: killed in the middle, finished at the next start"
