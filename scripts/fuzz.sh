#!/usr/bin/env bash
# Builds the puzzle readers' libFuzzer target with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and fuzzes it for a bounded time.
#   scripts/fuzz.sh [SECONDS]        (default 60; build folder: $OMBRASEL_FUZZ_BUILD or build/fuzz;
#                                    OMBRASEL_FUZZ_SEED picks the mutation sequence, 1 by default,
#                                    so that runs of the same length try the same inputs)
# The run starts from a copy of fuzz/corpus in a temporary folder, so the kept corpus stays
# as written. A crash, leak, hang or failed reader check leaves its input in the build folder's
# findings/ and fails the script; copy that input into tests/cli/regressions/, where a test
# replays it, and fix the reader.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
dir=${OMBRASEL_FUZZ_BUILD:-$root/build/fuzz}

CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOMBRASEL_FUZZ=ON -DOMBRASEL_SANITIZE=ON -DOMBRASEL_WERROR=ON >/dev/null
cmake --build "$dir" --target fuzz_readers -j 2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/fuzz/corpus" "$work/corpus"
findings="$dir/findings"
rm -rf "$findings"
mkdir -p "$findings"

status=0
"$dir/fuzz/fuzz_readers" -max_total_time="$seconds" -seed="${OMBRASEL_FUZZ_SEED:-1}" -print_funcs=0 -timeout=10 -rss_limit_mb=2048 \
  -max_len=16384 -dict="$root/fuzz/readers.dict" -print_final_stats=1 \
  -artifact_prefix="$findings/" "$work/corpus" || status=$?

if [ -n "$(ls -A "$findings")" ] || [ "$status" -ne 0 ]; then
  echo "fuzz.sh: the fuzzer found a problem (exit $status); inputs in $findings:" >&2
  ls -l "$findings" >&2
  exit 1
fi
echo "fuzz.sh: no findings in ${seconds} s"
