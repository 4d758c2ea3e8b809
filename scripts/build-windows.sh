#!/usr/bin/env bash
# Configures and builds the Windows programs and their tests with mingw-w64.
#   scripts/build-windows.sh [BUILD_DIR] [extra cmake arguments...]     (default build/windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build/windows}
shift || true
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBRASEL_WERROR=ON \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" "$@" >/dev/null
cmake --build "$dir" -j "${OMBRASEL_JOBS:-$(nproc)}"
