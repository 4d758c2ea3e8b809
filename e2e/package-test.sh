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
. "$here/wine-steps.sh"
start_work package
fail() { echo "FAIL: $*"; exit 1; }

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
open_window ombrasel.exe 761x761
close_window
echo "package test passed"
