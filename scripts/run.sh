#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and opens its window under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
exec bash "$root/scripts/run-windows.sh" "$root/build/windows"
