#!/usr/bin/env bash
# Tests the Windows package as a user gets it: unzips it, checks what it holds, runs
# ombrasel-solve.exe from the unzipped folder under Wine on the examples there, through cmd.exe
# as the guide shows, and opens and closes the window of ombrasel.exe.
#   package-test.sh ZIP        (dist/ombrasel-VERSION-win64.zip, as scripts/package.sh writes it)
# Needs the DISPLAY and WINEPREFIX of scripts/test-windows.sh; without them it is skipped (exit 77).
set -euo pipefail
zip=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)

if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  echo "skipped: needs DISPLAY and WINEPREFIX (run scripts/test-windows.sh)"
  exit 77
fi
export WINEDEBUG=${WINEDEBUG--all}

work=$(mktemp -d /tmp/ombrasel-package.XXXXXX)
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
fail() { echo "FAIL: $*"; exit 1; }

# A Wine start that dies before the program runs leaves no output and a failure; it is tried
# again, at most twice (see cmake/wine-run.sh).
wine_run() {  # wine_run OUT ERR ARGS...
  local out=$1 err=$2 attempt status
  shift 2
  for attempt in 1 2 3; do
    status=0
    wine "$@" </dev/null >"$out" 2>"$err" || status=$?
    [ "$status" -eq 0 ] || [ -s "$out" ] || [ -s "$err" ] && break
    echo "wine $1 failed with exit code $status without output (attempt $attempt)"
  done
  return "$status"
}

name=$(basename "$zip" -win64.zip)
version=${name#ombrasel-}
[ "$name" != "$version" ] && [ -n "$version" ] || fail "$zip is not named ombrasel-VERSION-win64.zip"

step "the zip holds $name/ with both programs, the examples and README.txt"
mkdir "$work/unzipped"
unzip -q "$zip" -d "$work/unzipped"
(cd "$work/unzipped" && find . -mindepth 1 -maxdepth 2 | sort) >"$work/listing"
printf './%s\n' "$name" "$name/README.txt" "$name/examples" "$name/ombrasel-solve.exe" "$name/ombrasel.exe" |
  diff - "$work/listing" || fail "the zip's top folders and files are not the expected ones"
top=$work/unzipped/$name
diff -r "$root/examples" "$top/examples" || fail "the examples differ from the repository's"
[ "$(grep -c $'\r$' "$top/README.txt")" -eq "$(wc -l <"$top/README.txt")" ] ||
  fail "not every line of README.txt ends with CR LF"
tr -d '\r' <"$top/README.txt" | cmp - "$root/res/windows-guide.txt" ||
  fail "README.txt is not res/windows-guide.txt"
cat "$work/listing"

cd "$top"
step "ombrasel-solve.exe --version"
wine_run "$work/version.out" "$work/version.err" ombrasel-solve.exe --version ||
  fail "exit code $? of --version: $(cat "$work/version.err")"
printf 'ombrasel-solve %s\n' "$version" | cmp - "$work/version.out" ||
  fail "--version printed \"$(cat "$work/version.out")\", not the package's version $version"
cat "$work/version.out"

step "the examples through cmd.exe, which leaves the wildcard to the program"
status=0
wine_run "$work/batch.out" "$work/batch.err" cmd /c ombrasel-solve.exe -j 2 --clues puzzles --svg answers \
  'examples\*' || status=$?
cat "$work/batch.err"
# The third puzzle of small.txt does not fit its 2 x 2 grid: exit code 2, the others solved.
[ "$status" -eq 2 ] || { cat "$work/batch.out"; fail "exit code $status, not 2"; }
grep -E '^[^ .#xX]' "$work/batch.out" | sed -E -e 's#\\#/#g' -e 's/, [0-9.e+-]+ s$//' >"$work/verdicts"
cat >"$work/expected" <<'EOF'
sailboat (examples/sailboat.pbm): several solutions, difficulty search
sample (examples/sample.non): unique, difficulty line
1 (examples/small.txt): several solutions, difficulty search
2 (examples/small.txt): unique, difficulty line
two-solutions (examples/two-solutions.non): several solutions, difficulty search
EOF
diff "$work/expected" "$work/verdicts" || fail "the verdicts on the examples are not the expected ones"
sed 's#\\#/#g' "$work/batch.err" | grep -qx 'examples/small.txt:12: $3 column 1: clue 3 needs 3 cells, the column has 2' ||
  fail "the bad puzzle of small.txt is not reported as FILE:LINE: problem"
for f in puzzles/sailboat.non puzzles/1.non puzzles/two-solutions.non answers/sample.svg answers/2.svg; do
  [ -s "$f" ] || fail "$f was not written"
done
cat "$work/verdicts"

step "ombrasel.exe opens its window and closes"
window=""
for attempt in 1 2 3; do
  wine ombrasel.exe >"$work/program.log" 2>&1 &
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
[ -n "$window" ] || { cat "$work/program.log"; fail "no window captioned \"Ombrasel(Ver2) by Dremvik\""; }
for i in $(seq 40); do
  geometry=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
  [ "$geometry" = 761x761 ] && break
  sleep 0.25
done
echo "window $window, client area $geometry"
[ "$geometry" = 761x761 ] || fail "client area $geometry, not 761x761"
xdotool key --window "$window" alt+F4 2>/dev/null
for i in $(seq 80); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.25
done
kill -0 "$program_pid" 2>/dev/null && fail "the program still runs after alt+F4"
status=0
wait "$program_pid" || status=$?
program_pid=""
[ "$status" -eq 0 ] || { cat "$work/program.log"; fail "exit code $status"; }
echo "closed with exit code 0"
echo "package test passed"
