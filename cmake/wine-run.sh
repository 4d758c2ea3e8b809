#!/bin/sh
# Runs a Windows program under Wine for ctest. The output goes through a file and is
# printed afterwards: Wine's helper processes inherit the output pipes, and ctest
# would otherwise wait for them to close.
out=$(mktemp "${TMPDIR:-/tmp}/ombrasel-wine-run.XXXXXX") || exit 1
WINEDEBUG=${WINEDEBUG--all} wine "$@" </dev/null >"$out" 2>&1
rc=$?
tr -d '\r' <"$out"
rm -f "$out"
exit $rc
