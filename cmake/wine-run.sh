#!/bin/sh
# Runs a Windows program under Wine for ctest. The output goes through a file and is
# printed afterwards: Wine's helper processes inherit the output pipes, and ctest
# would otherwise wait for them to close.
#
# Now and then Wine's loader dies before the program starts, silently. A run that fails
# without a single byte of output is taken for such a start-up failure and run again, at
# most twice; a program that fails that way every time still fails.
out=$(mktemp "${TMPDIR:-/tmp}/ombrasel-wine-run.XXXXXX") || exit 1
attempt=1
while :; do
  WINEDEBUG=${WINEDEBUG--all} wine "$@" </dev/null >"$out" 2>&1
  rc=$?
  [ "$rc" -eq 0 ] || [ -s "$out" ] || [ "$attempt" -ge 3 ] && break
  echo "wine-run.sh: wine $1 exited with code $rc without any output (attempt $attempt); running it again"
  attempt=$((attempt + 1))
done
tr -d '\r' <"$out"
if [ "$rc" -ne 0 ]; then
  echo "wine-run.sh: wine $1 exited with code $rc after printing $(wc -c <"$out") bytes"
fi
rm -f "$out"
exit $rc
