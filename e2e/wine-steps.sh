# Shell functions that the Wine tests source: a scratch folder removed at the end (with the
# program, if one still runs), steps, console runs that survive a Wine start that fails, and the
# window of ombrasel.exe opened and closed. Needs the DISPLAY and WINEPREFIX of
# scripts/test-windows.sh.

export WINEDEBUG=${WINEDEBUG--all}
program_pid=""
work=""

# Makes $work, a scratch folder named after $1, removed at the end with the program started.
start_work() {
  work=$(mktemp -d "/tmp/ombrasel-$1.XXXXXX")
  trap end_work EXIT
}

end_work() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
  fi
  [ -z "$work" ] || rm -rf "$work"
}

step() { echo "== $*"; }

# wine_run OUT ERR ARGS...: a console program under Wine, standard input from the file $stdin
# names (none by default). A Wine start that dies before the program runs leaves no output and
# a failure; it is tried again, at most twice (see cmake/wine-run.sh).
wine_run() {
  local out=$1 err=$2 attempt status
  shift 2
  for attempt in 1 2 3; do
    status=0
    wine "$@" <"${stdin:-/dev/null}" >"$out" 2>"$err" || status=$?
    [ "$status" -eq 0 ] || [ -s "$out" ] || [ -s "$err" ] && break
    echo "wine $1 failed with exit code $status without output (attempt $attempt)" >&2
  done
  return "$status"
}

# open_window PROGRAM CLIENT_SIZE: starts the window program, sets $window and $program_pid, and
# waits until the window's client area is CLIENT_SIZE ("761x761"). Wine's loader now and then
# dies silently before the program starts: a program gone without a window and without a byte
# of output is started again.
open_window() {
  local program=$1 client=$2 attempt i geometry=""
  window=""
  for attempt in 1 2 3; do
    wine "$program" >"$work/program.log" 2>&1 &
    program_pid=$!
    for i in $(seq 120); do
      window=$(xdotool search --name '^Ombrasel\(Ver2\) by Dremvik$' 2>/dev/null | head -n 1) || true
      [ -n "$window" ] && break
      kill -0 "$program_pid" 2>/dev/null || break
      sleep 0.25
    done
    [ -n "$window" ] && break
    kill -0 "$program_pid" 2>/dev/null && break
    [ -s "$work/program.log" ] && break
    echo "the program ended at once without output (attempt $attempt)"
  done
  if [ -z "$window" ]; then
    echo "FAIL: no window captioned \"Ombrasel(Ver2) by Dremvik\"; the program's output:"
    cat "$work/program.log"
    exit 1
  fi
  # The window can be found before the size it gives itself while it is created has reached X.
  for i in $(seq 40); do
    geometry=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    [ "$geometry" = "$client" ] && break
    sleep 0.25
  done
  echo "window $window, client area $geometry"
  [ "$geometry" = "$client" ] || { echo "FAIL: client area $geometry, not $client"; exit 1; }
}

# Closes the window with Alt+F4 and checks that the program ends with exit code 0.
close_window() {
  local i status=0
  xdotool key --window "$window" alt+F4 2>/dev/null
  for i in $(seq 80); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.25
  done
  if kill -0 "$program_pid" 2>/dev/null; then
    echo "FAIL: the program still runs after alt+F4"
    exit 1
  fi
  wait "$program_pid" || status=$?
  program_pid=""
  echo "exit code $status"
  [ "$status" -eq 0 ] || { echo "FAIL: exit code $status"; cat "$work/program.log"; exit 1; }
}
