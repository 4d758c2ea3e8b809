#!/usr/bin/env bash
# Configures and builds the native tree (solver, command-line tool, tests, benchmark).
#   scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build/native}
shift || true
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBRASEL_WERROR=ON "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
