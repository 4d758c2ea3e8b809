#!/usr/bin/env bash
# Builds the Windows programs and runs all their tests under Wine: the unit tests, the
# end-to-end test, ombrasel-solve.exe against the Linux tool (built in build/native when it is
# not there yet) and the package that scripts/package.sh makes, unzipped. They run on a private
# Xvfb with a fresh Wine prefix, both removed afterwards.
#   scripts/test-windows.sh [BUILD_DIR]      (default build/windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build/windows}
bash "$root/scripts/setup.sh"
linux_tool=$root/build/native/cli/ombrasel-solve
if [ -f "$root/build/native/build.ninja" ]; then
  cmake --build "$root/build/native" --target ombrasel-solve
else
  bash "$root/scripts/build.sh" "$root/build/native"
fi
bash "$root/scripts/build-windows.sh" "$dir" -DOMBRASEL_LINUX_TOOL="$linux_tool"
bash "$root/scripts/package.sh"

. "$root/scripts/windows-session.sh"
work=$(mktemp -d /tmp/ombrasel-windows-test.XXXXXX)
trap 'end_windows_session; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
start_private_xvfb "$work"
start_wine_prefix "$work/prefix" tests
ctest --test-dir "$dir" --output-on-failure
echo "== the package, unzipped"
bash "$root/e2e/package-test.sh" "$root/dist/ombrasel-$(bash "$root/scripts/version.sh")-win64.zip"
