#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# the native tests, the same tests under AddressSanitizer and UndefinedBehaviorSanitizer,
# a bounded fuzzing run of the puzzle readers, and the Windows program's tests under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh

echo "== native build and tests"
bash scripts/build.sh build/native
ctest --test-dir build/native --output-on-failure -j "$(nproc)"

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
CC=clang CXX=clang++ bash scripts/build.sh build/sanitize -DOMBRASEL_SANITIZE=ON
ctest --test-dir build/sanitize --output-on-failure -j "$(nproc)"

echo "== fuzzing the puzzle readers"
bash scripts/fuzz.sh "${OMBRASEL_FUZZ_SECONDS:-60}"

echo "== Windows program under Wine"
bash scripts/test-windows.sh build/windows

echo "== all tests passed"
