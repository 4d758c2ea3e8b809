#!/usr/bin/env bash
# Builds the Windows program and runs all its tests under Wine: the unit tests and the
# end-to-end test, on a private Xvfb with a fresh Wine prefix, both removed afterwards.
#   scripts/test-windows.sh [BUILD_DIR]      (default build/windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build/windows}
bash "$root/scripts/setup.sh"
bash "$root/scripts/build-windows.sh" "$dir"

. "$root/scripts/windows-session.sh"
work=$(mktemp -d /tmp/ombrasel-windows-test.XXXXXX)
trap 'end_windows_session; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
start_private_xvfb "$work"
start_wine_prefix "$work/prefix" tests
ctest --test-dir "$dir" --output-on-failure
