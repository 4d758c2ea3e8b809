#!/usr/bin/env bash
# End-to-end test of the real program under Wine: start it, read its window from screenshots,
# drive it with xdotool as a user would, close it and check its exit code.
#   window-e2e.sh PROGRAM SAMPLE_CLUES_PROGRAM WINE_RUNNER LARGE_PUZZLE_PROGRAM
# Needs the DISPLAY (an X server without a window manager) and the WINEPREFIX that
# scripts/test-windows.sh provides; without them it is skipped (exit 77).
set -euo pipefail
program=$1
sample_clues=$2
wine_run=$3
large_puzzle=$4
here=$(cd "$(dirname "$0")" && pwd)
screen() { perl "$here/screen.pl" "$@"; }

if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  echo "skipped: needs DISPLAY and WINEPREFIX (run scripts/test-windows.sh)"
  exit 77
fi

work=$(mktemp -d /tmp/ombrasel-e2e.XXXXXX)
program_pid=""
cleanup() {
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

step() { echo "== $*"; }

shot() {  # shot NAME: the client area as $work/NAME.ppm
  import -window "$window" -depth 8 "ppm:$work/$1.ppm"
}

click() {  # click X Y, in client pixels
  xdotool mousemove --window "$window" "$1" "$2" click 1
  sleep 0.3
}

keys() {  # keys KEY...
  local k
  for k in "$@"; do
    xdotool key --window "$window" "$k" 2>/dev/null
    sleep 0.2
  done
}

# Clicks the clue slot next to the grid of a column ("col C") or a row ("row R"), then the value
# buttons of its numbers, the last first, as the cursor steps away from the grid after each.
enter_line() {
  local kind=$1 line=$2 args=() v k
  shift 2
  if [ "$kind" = col ]; then
    args+=(mousemove --window "$window" $((20 * (12 + line) + 10)) 250 click 1 sleep 0.03)
  else
    args+=(mousemove --window "$window" 250 $((20 * (12 + line) + 10)) click 1 sleep 0.03)
  fi
  for ((k = $#; k >= 1; --k)); do
    v=${!k}
    [ "$v" -eq 0 ] && continue
    args+=(mousemove --window "$window" $(((v % 5) * 52 + 26)) $(((v / 5) * 37 + 18)) click 1 sleep 0.03)
  done
  xdotool "${args[@]}"
}

# Waits until CHECK (a screen.pl command and its arguments after the screenshot) passes;
# TRIES screenshots at most, a quarter of a second apart.
TRIES=40
wait_for() {
  local i
  for i in $(seq "$TRIES"); do
    shot now
    if screen "$1" "$work/now.ppm" "${@:2}" >"$work/check.log" 2>&1; then
      cat "$work/check.log"
      return 0
    fi
    sleep 0.25
  done
  cat "$work/check.log"
  return 1
}

"$wine_run" "$sample_clues" >"$work/sample.txt"

step "start the program"
# Wine's loader now and then dies silently before the program starts (see wine-run.sh):
# a program gone without a window and without a byte of output is started again.
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
[ -n "$window" ] || {
  echo "FAIL: no window captioned \"Ombrasel(Ver2) by Dremvik\"; the program's output:"
  cat "$work/program.log"
  exit 1
}
geometry=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
echo "window $window, client area $geometry"
[ "$geometry" = 761x761 ] || { echo "FAIL: client area $geometry, not 761x761"; exit 1; }

step "the sample puzzle, both sums 38"
wait_for clues "$work/sample.txt"
cp "$work/now.ppm" "$work/start.ppm"
screen status "$work/start.ppm" none
screen sums "$work/start.ppm"
screen marks "$work/start.ppm"

step "START shows the solution and the black status"
click 200 200
wait_for picture "$work/sample.txt"
screen status "$work/now.ppm" black

step "CLEAR"
click 100 200
wait_for blank-clues
screen marks "$work/now.ppm"
screen status "$work/now.ppm" none

step "enter the 2 x 2 puzzle with two solutions: columns 1 and 1, rows 1 and 1"
keys 1                      # the cursor starts on column 1, next to the grid
click 290 250               # column 2, next to the grid
keys 1
click 250 270               # row 1, next to the grid
click 78 18                 # value button 1
click 250 290               # row 2, next to the grid
keys 1
click 200 200               # START
wait_for marks 1,1,3 1,2,4 2,1,4 2,2,3
screen status "$work/now.ppm" red

step "the sums showed 38: the same text as 3 and 8 typed into a clue cell"
click 410 110               # column 8, slot 5
keys 3 8
wait_for same-text 401,101,419,119 "$work/start.ppm" 156,222,259,240
screen same-text "$work/now.ppm" 401,101,419,119 "$work/start.ppm" 156,242,259,259

step "a 25 x 25 puzzle typed in with the value buttons; START answers in seconds"
"$wine_run" "$large_puzzle" 6 40 >"$work/large.txt"
grep -E '^(row|col) ' "$work/large.txt" >"$work/large-clues.txt"
expected_status=$(awk '$1 == "status" { print $2 }' "$work/large.txt")
echo "the solver's answer outside the window: status $expected_status"
click 100 200               # CLEAR
wait_for blank-clues
while read -r kind line slots; do
  # shellcheck disable=SC2086
  enter_line "$kind" "$line" $slots
done <"$work/large-clues.txt"
wait_for clues "$work/large-clues.txt"
screen sums "$work/now.ppm"
started=$(date +%s.%N)
click 200 200               # START
TRIES=240
wait_for result "$work/large.txt"
TRIES=40
awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "START to the whole answer on the screen: %.1f s\n", b - a }'
case "$expected_status" in
  2) screen status "$work/now.ppm" black ;;
  4) screen status "$work/now.ppm" red ;;
  *) echo "FAIL: the puzzle of the test should have a solution (status $expected_status)"; exit 1 ;;
esac

step "close the window"
keys alt+F4
status=0
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
echo "end-to-end test passed"
