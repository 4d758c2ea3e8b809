#!/usr/bin/env bash
# Prints the version of the project() line in CMakeLists.txt, which the programs report.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n -E 's/^project\(Ombrasel VERSION ([0-9]+(\.[0-9]+)*)[ )].*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "version.sh: no version in the project() line of CMakeLists.txt" >&2; exit 1; }
echo "$version"
