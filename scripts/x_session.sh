# A private X session for driving the real program by keyboard: Xvfb, a small
# window manager, the program, and helpers that wait for what happens on the
# display. Every process started here is remembered by its pid and stopped by
# x_session_stop, which the caller runs from an EXIT trap.
# Usage: source scripts/x_session.sh; x_session_start SCRATCH_DIR; ...

XS_PIDS=()
XS_DIR=""
XS_MAIN=""
QUILLON_PID=""

# Runs "$@" until it succeeds, for at most 20 seconds; the short pause between
# tries only spaces the checks, the condition is what is waited for.
x_wait_until() {
  local what=$1
  shift
  local deadline=$((SECONDS + 20))
  until "$@" >/dev/null 2>&1; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "timed out waiting for $what" >&2
      return 1
    fi
    sleep 0.05
  done
}

x_session_start() {
  XS_DIR=$1
  mkdir -p "$XS_DIR/home"
  x_start_server || return 1
  export HOME="$XS_DIR/home" XDG_CONFIG_HOME="$XS_DIR/home/.config"
  export XDG_CACHE_HOME="$XS_DIR/home/.cache" XDG_DATA_HOME="$XS_DIR/home/.local/share"
  export XDG_STATE_HOME="$XS_DIR/home/.local/state"
  export XDG_RUNTIME_DIR="$XS_DIR/runtime"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
  export QT_QPA_PLATFORM=xcb
  openbox --sm-disable >"$XS_DIR/openbox.log" 2>&1 &
  XS_PIDS+=($!)
  x_wait_until "the window manager" x_wm_ready
}

# Starts Xvfb on a display number of its own: the server takes the display's
# lock file, so that servers started at the same moment (other tests,
# xvfb-run) never share a number. (-displayfd would tell when it is ready, but
# it makes Xvfb skip the lock file.) A number in use makes Xvfb end at once;
# then another one is tried.
x_start_server() {
  local attempt number pid
  for ((attempt = 0; attempt < 20; attempt++)); do
    number=$((100 + RANDOM % 800))
    if [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; then continue; fi
    # -noreset: a server resets when its last client leaves, and refuses
    # connections meanwhile; the readiness check below is such a client.
    Xvfb ":$number" -screen 0 1280x800x24 -nolisten tcp -noreset >"$XS_DIR/xvfb.log" 2>&1 &
    pid=$!
    XS_PIDS+=("$pid")
    x_wait_until "the X server" x_server_settled "$number" "$pid" || return 1
    if ! x_process_gone "$pid"; then
      export DISPLAY=":$number"
      return 0
    fi
    wait "$pid" 2>/dev/null || true
    unset 'XS_PIDS[-1]'
  done
  echo "Xvfb did not start:" >&2
  cat "$XS_DIR/xvfb.log" >&2
  return 1
}

# The server has ended, or it holds the display's lock and answers there.
x_server_settled() {
  x_process_gone "$2" && return 0
  [ "$(tr -d ' \n' <"/tmp/.X$1-lock")" = "$2" ] && xprop -display ":$1" -root
}

# Openbox announces itself before its event loop runs, and a window shown in
# between was seen never to be mapped. A request it answers proves the loop
# runs: the number of desktops, asked again until it changes.
x_wm_ready() {
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || return 1
  [ "$(xdotool get_num_desktops)" = 1 ] && return 0
  xdotool set_num_desktops 1
  return 1
}

# A session bus of our own, for the programs started after it: the
# accessibility bus is started on demand through it, and ends with it.
x_start_session_bus() {
  dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$XS_DIR/bus" \
    >"$XS_DIR/dbus.log" 2>&1 &
  XS_PIDS+=($!)
  x_wait_until "the session bus" x_bus_address
  DBUS_SESSION_BUS_ADDRESS=$(x_bus_address)
  export DBUS_SESSION_BUS_ADDRESS
}

x_bus_address() {
  [ -s "$XS_DIR/bus" ] && head -n 1 "$XS_DIR/bus"
}

# Starts the program with the given arguments and waits until its main window
# is shown and has the keyboard focus.
x_start_quillon() {
  local binary=$1
  shift
  "$binary" "$@" >"$XS_DIR/quillon.log" 2>&1 &
  QUILLON_PID=$!
  XS_PIDS+=("$QUILLON_PID")
  x_wait_until "the main window" x_find_main
  XS_MAIN=$(x_find_main)
  x_activate_main
}

x_find_main() {
  local id
  id=$(xdotool search --onlyvisible --pid "$QUILLON_PID" --name '^クイロン$' | head -n 1)
  [ -n "$id" ] && echo "$id"
}

x_activate_main() {
  x_wait_until "the main window to take the focus" x_main_is_active_or_activate
}

x_main_is_active_or_activate() {
  [ "$(xdotool getactivewindow 2>/dev/null)" = "$XS_MAIN" ] && return 0
  xdotool windowactivate "$XS_MAIN" 2>/dev/null
  return 1
}

# The active window when it is one of the program's windows other than the
# main window: a message box or another dialog.
x_active_dialog() {
  local id
  id=$(xdotool getactivewindow 2>/dev/null) || return 1
  [ -n "$id" ] && [ "$id" != "$XS_MAIN" ] || return 1
  [ "$(xdotool getwindowpid "$id" 2>/dev/null)" = "$QUILLON_PID" ] || return 1
  echo "$id"
}

# Waits for the program's message box, presses its default button (OK), and
# waits until the box is gone and the main window has the focus again.
x_confirm_message_box() {
  x_wait_until "a message box" x_active_dialog
  local box
  box=$(x_active_dialog)
  xdotool key Return
  x_wait_until "the message box to close" x_window_gone "$box"
  x_activate_main
}

x_window_gone() {
  ! xdotool getwindowname "$1"
}

# Opens the context menu of the focused widget with the Menu key and waits
# until it is shown.
x_open_menu() {
  x_keys Menu
  x_wait_until "the context menu" x_popup
}

# A shown window of the program that is neither the main window nor a dialog
# the window manager gave the focus: a menu.
x_popup() {
  local id
  for id in $(xdotool search --onlyvisible --class quillon 2>/dev/null); do
    [ "$id" != "$XS_MAIN" ] && echo "$id" && return 0
  done
  return 1
}

# Exactly $2 menus are shown of the program whose main window is $1 (a
# submenu is one more): its shown windows besides the main window, while no
# dialog of it is open.
x_menus_shown() {
  [ "$(xdotool search --onlyvisible --class quillon 2>/dev/null | grep -cvx "$1")" = "$2" ]
}

x_no_popup() {
  ! x_popup
}

# Puts the bytes of a file on the clipboard, held by an xclip process of ours,
# and waits until the clipboard gives them back.
x_set_clipboard() {
  xclip -quiet -selection clipboard -i "$1" >/dev/null 2>&1 &
  XS_PIDS+=($!)
  x_wait_until "the clipboard" x_clipboard_holds "$1"
}

x_clipboard_holds() {
  xclip -o -selection clipboard | cmp -s - "$1"
}

x_keys() {
  xdotool key --clearmodifiers "$@"
}

# Types text; xdotool reads it in the C library's locale, so that locale must
# know UTF-8 whatever the program is given.
x_type() {
  LC_ALL=C.UTF-8 xdotool type --clearmodifiers "$1"
}

# A checksum of the window's picture.
x_capture() {
  import -window "$1" png:- | md5sum
}

# Waits until the window's picture differs from BEFORE (an x_capture of it)
# and holds still: it has repainted after what was done.
x_wait_repainted() {
  x_wait_until "window $1 to repaint" x_repainted "$1" "$2"
}

x_repainted() {
  local first second
  first=$(x_capture "$1")
  [ "$first" != "$2" ] || return 1
  second=$(x_capture "$1")
  [ "$first" = "$second" ]
}

# Stops every process started here, the last started first, and waits for each.
x_session_stop() {
  local i pid
  for ((i = ${#XS_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${XS_PIDS[i]}
    kill -TERM "$pid" 2>/dev/null || continue
    x_wait_until "process $pid to end" x_process_gone "$pid" || kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
  done
  XS_PIDS=()
}

# Ended: no such process, or a zombie waiting for `wait`.
x_process_gone() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  # The state follows the command name, which is in parentheses.
  [[ ${stat##*) } == Z* ]]
}
