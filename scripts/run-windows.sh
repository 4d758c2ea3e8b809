#!/usr/bin/env bash
# Builds the Windows program and opens its window under Wine, on $DISPLAY, or on a
# private Xvfb when no DISPLAY is set. The Wine prefix is kept for the next run.
#   scripts/run-windows.sh [BUILD_DIR]       (default build/windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build/windows}
bash "$root/scripts/setup.sh"
bash "$root/scripts/build-windows.sh" "$dir"

. "$root/scripts/windows-session.sh"
prefix=${OMBRASEL_WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/ombrasel/wine}
mkdir -p "$(dirname "$prefix")"
private=""
if [ -z "${DISPLAY:-}" ]; then
  private=$(mktemp -d /tmp/ombrasel-windows-run.XXXXXX)
  start_private_xvfb "$private"
  echo "No DISPLAY: the window opens on the private display $DISPLAY" \
       "(screenshot: DISPLAY=$DISPLAY import -window root shot.png); Ctrl-C ends it."
fi
trap 'end_windows_session; [ -z "$private" ] || rm -rf "$private"' EXIT
trap 'exit 130' INT TERM
start_wine_prefix "$prefix"
wine "$dir/ui/ombrasel.exe"
