#!/usr/bin/env bash
# Builds the two Windows programs in Release and packs them for Windows users as
# dist/ombrasel-VERSION-win64.zip: a folder ombrasel-VERSION with ombrasel.exe,
# ombrasel-solve.exe, the examples and README.txt (res/windows-guide.txt with CR LF line ends).
#   scripts/package.sh [BUILD_DIR]      (default build/package)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build/package}
bash "$root/scripts/setup.sh"
version=$(bash "$root/scripts/version.sh")

cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOMBRASEL_WERROR=ON \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" >/dev/null
cmake --build "$dir" -j "${OMBRASEL_JOBS:-$(nproc)}" --target ombrasel ombrasel-solve

name=ombrasel-$version
stage=$dir/stage
rm -rf "$stage"
mkdir -p "$stage/$name"
for program in "$dir/ui/ombrasel.exe" "$dir/cli/ombrasel-solve.exe"; do
  x86_64-w64-mingw32-strip -o "$stage/$name/$(basename "$program")" "$program"
done
cp -r "$root/examples" "$stage/$name/examples"
sed 's/$/\r/' "$root/res/windows-guide.txt" >"$stage/$name/README.txt"

mkdir -p "$root/dist"
zip=$root/dist/$name-win64.zip
rm -f "$zip"
(cd "$stage" && zip -q -r -X "$zip" "$name")
echo "package.sh: wrote $zip"
