#!/usr/bin/env bash
# Runs the Windows build of ombrasel-solve under Wine and the Linux build on the same inputs,
# each in a copy of its own, and compares what they print, the files they write and their exit
# codes. Only the times and the path separators in the output may differ. The inputs are the
# examples and the puzzles that tool-inputs.py writes; each run gives a tool many of them.
#   tool-compare.sh WINDOWS_TOOL LINUX_TOOL
# Needs the WINEPREFIX that scripts/test-windows.sh provides; without it, or without
# LINUX_TOOL, it is skipped (exit 77).
set -euo pipefail
win_tool=$1
linux_tool=${2:-}
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "$linux_tool" ]; then
  echo "skipped: no Linux build of ombrasel-solve to compare with" \
       "(configure the Windows build with -DOMBRASEL_LINUX_TOOL=PATH, as scripts/test-windows.sh does)"
  exit 77
fi
if [ -z "${WINEPREFIX:-}" ]; then
  echo "skipped: needs WINEPREFIX (run scripts/test-windows.sh)"
  exit 77
fi
[ -x "$linux_tool" ] || { echo "FAIL: $linux_tool is not a program"; exit 1; }
win_tool=$(realpath "$win_tool")
linux_tool=$(realpath "$linux_tool")

# Wine passes the arguments on in the locale's encoding: the Japanese names need UTF-8. The
# Linux side's wildcards then sort by code point.
export LC_ALL=C.UTF-8

. "$here/wine-steps.sh"
start_work compare
mkdir "$work/inputs" "$work/results"
python3 "$here/tool-inputs.py" "$work/inputs"
cp -r "$here/../examples" "$work/inputs/examples"
cp -r "$work/inputs" "$work/linux"
cp -r "$work/inputs" "$work/windows"
win_path=$(winepath -w "$win_tool")

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Times become T; a backslash in a path (doubled in JSON) becomes a slash.
normalise() {
  sed -E -e 's/, [0-9][0-9.e+-]* s$/, T s/' \
         -e 's/"(seconds|cpu_seconds)":[0-9][0-9.e+-]*/"\1":T/g' \
         -e 's/processor time [0-9.]+ s, wall time [0-9.]+ s$/processor time T s, wall time T s/' \
         -e 's#\\\\#/#g' -e 's#\\#/#g' "$1"
}

# An answer cut by the time limit: its verdict and count may differ between two runs, and its
# grid is left out.
cut_answers() {
  sed -E -e '/, incomplete: stopped at the time limit with /,/^$/{
               /, incomplete: /!d
               s/: (several solutions, difficulty search|out of time), incomplete: stopped at the time limit with [0-9]+ open cells? not sorted,/: VERDICT, incomplete: stopped at the time limit with N open cells not sorted,/
             }'
}

# compare NAME EXPECTED_CODE FILTER -- LINUX_ARGS... -- WINDOWS_ARGS...: runs both tools, each
# in its own copy of the inputs, and compares their output and exit codes. FILTER (cat or
# cut_answers) goes over both outputs after the times and separators. Standard input is the
# file $stdin names, in the copy.
stdin=/dev/null
compare() {
  local name=$1 expected=$2 filter=$3 linux_args=() windows_args=() linux_code=0 windows_code=0
  local r=$work/results/$name
  shift 4
  while [ "$1" != -- ]; do linux_args+=("$1"); shift; done
  shift
  windows_args=("$@")
  echo "== $name: ombrasel-solve ${linux_args[*]}"
  (cd "$work/linux" && "$linux_tool" "${linux_args[@]}" <"$stdin") >"$r.linux.out" 2>"$r.linux.err" ||
    linux_code=$?
  (cd "$work/windows" && wine_run "$r.windows.out" "$r.windows.err" "${windows_args[@]}") || windows_code=$?
  [ "$linux_code" -eq "$expected" ] || fail "$name: the Linux tool exited with $linux_code, not $expected"
  [ "$windows_code" -eq "$linux_code" ] ||
    fail "$name: the Windows tool exited with $windows_code, the Linux tool with $linux_code"
  local stream
  for stream in out err; do
    normalise "$r.linux.$stream" | "$filter" >"$r.linux.$stream.n"
    normalise "$r.windows.$stream" | "$filter" >"$r.windows.$stream.n"
    if ! diff -u --label "Linux $name std$stream" --label "Windows $name std$stream" \
              "$r.linux.$stream.n" "$r.windows.$stream.n" >"$r.$stream.diff"; then
      fail "$name: standard ${stream/err/error} differs:"
      if grep -q $'\r' "$r.windows.$stream" && ! grep -q $'\r' "$r.linux.$stream"; then
        echo "(the Windows tool ends its lines with CR LF)"
      fi
      head -n 40 "$r.$stream.diff"
    fi
  done
  [ -s "$r.linux.out" ] || fail "$name: the Linux tool printed nothing"
  echo "exit codes $linux_code (Linux) and $windows_code (Windows)"
}

# both NAME EXPECTED_CODE [FILTER] ARGS...: the same arguments for both tools.
both() {
  local name=$1 expected=$2 filter=cat
  shift 2
  if [ "$1" = cut_answers ]; then filter=cut_answers; shift; fi
  compare "$name" "$expected" "$filter" -- "$@" -- "$win_tool" "$@"
}

# The wildcards are expanded here, in a copy of the inputs, so that both tools get the same
# names in the same order.
cd "$work/inputs"
inputs=(examples/sailboat.pbm examples/sample.non examples/small.txt examples/two-solutions.non
        pictures/*.pbm pictures/*.png clues/*.non clues/*.txt clues/*.xml wild/問題.non)
good=(pictures/*.pbm pictures/*.png clues/*.non clues/*.txt clues/*.xml wild/*.non)

both help 0 --help
# small.txt has a puzzle that cannot be read, and the files in bad/ are bad: exit code 2.
both full-text 2 -j 2 --clues clues --svg 答え "${inputs[@]}" bad/*
both uniqueness-text 2 -j 1 --uniqueness --svg uniqueness "${inputs[@]}" bad/*
# Standard input, a file with Windows line ends, is read as it is.
stdin=clues/crlf-14x9.non both full-json 0 -j 2 --json "${good[@]}" -
both uniqueness-json 2 --uniqueness --json --clues clues-json bad/* "${inputs[@]}" missing.non
# The rooks' puzzle runs into the time limit; the others end long before it.
# What it shows of that puzzle depends on where the limit cut it, so no pictures are drawn.
both timeout 3 cut_answers -j 2 --engine exhaustive --timeout 1 clues/random-20x12.non slow/permutations.non \
  pictures/square-25.pbm
for side in linux windows; do
  grep -Eq '^permutations \(slow.permutations\.non\): (several solutions, difficulty search|out of time), incomplete: stopped at the time limit with [0-9]+ open cells? not sorted, [0-9.e+-]+ s$' \
       "$work/results/timeout.$side.out" ||
    fail "timeout: the $side tool's answer to the rooks' puzzle is not marked incomplete"
done
# cmd.exe leaves the wildcard to the program.
compare wildcard 0 cat -- --svg 答え2 wild/*.non -- cmd /c "$win_path" --svg 答え2 'wild\*.non'

echo "== the files written"
for f in clues/two#2.non 答え/問題.svg 答え2/問題.svg "答え2/with space.svg" uniqueness/sailboat.svg \
         clues-json/問題.non clues/largest-128x100.non; do
  [ -s "$work/linux/$f" ] || fail "the Linux tool did not write $f"
done
if diff -r "$work/linux" "$work/windows" >"$work/results/files.diff"; then
  echo "the same files with the same contents: $(cd "$work/linux" && find . -type f | wc -l) files"
else
  fail "the files written differ:"
  head -n 60 "$work/results/files.diff"
fi

# The tool ended without a word (as by Ctrl-C, or worse) takes its workers with it.
echo "== killed with its workers busy"
(cd "$work/windows" && exec wine "$win_tool" -j 2 --engine exhaustive slow/permutations.non \
   slow/permutations.non >/dev/null 2>&1) &
workers() { pgrep -f -- "ombrasel-solve.exe --worker-process" | wc -l; }
for _ in $(seq 100); do [ "$(workers)" -ge 2 ] && break; sleep 0.1; done
if [ "$(workers)" -lt 2 ]; then
  fail "killed: the tool did not start two workers"
else
  pkill -KILL -f -- "$win_tool -j 2 --engine exhaustive" || fail "killed: the tool was not found"
  for _ in $(seq 50); do [ "$(workers)" -eq 0 ] && break; sleep 0.1; done
  [ "$(workers)" -eq 0 ] && echo "no worker left" || fail "killed: $(workers) workers outlived the tool"
fi
pkill -KILL -f -- "ombrasel-solve.exe( --worker-process| -j 2 --engine exhaustive)" || true
wait

if [ "$failures" -ne 0 ]; then
  echo "$failures differences between the Windows and the Linux tool"
  exit 1
fi
echo "the Windows tool answers as the Linux tool"
