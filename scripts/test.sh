#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# the native tests, the same tests in Release builds with gcc and with clang and under
# AddressSanitizer and UndefinedBehaviorSanitizer,
# a bounded fuzzing run of the puzzle readers, and the Windows program's tests under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh

echo "== native build and tests"
bash scripts/build.sh build/native
ctest --test-dir build/native --output-on-failure -j "$(nproc)"

# The build type a user picks with a plain configure, on both compilers: some warnings
# (gcc's -Wrestrict, for one) show only at -O3.
echo "== Release builds and tests with gcc and clang"
bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build/release --output-on-failure -j "$(nproc)"
CC=clang CXX=clang++ bash scripts/build.sh build/release-clang -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build/release-clang --output-on-failure -j "$(nproc)"

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
CC=clang CXX=clang++ bash scripts/build.sh build/sanitize -DOMBRASEL_SANITIZE=ON
ctest --test-dir build/sanitize --output-on-failure -j "$(nproc)"

echo "== fuzzing the puzzle readers"
bash scripts/fuzz.sh "${OMBRASEL_FUZZ_SECONDS:-60}"

echo "== Windows program under Wine"
bash scripts/test-windows.sh build/windows

echo "== all tests passed"
