#!/usr/bin/env bash
# Builds the Windows programs and packs them for Windows users: the four programs, the level file,
# the demo ledger and a readme in Japanese, as build/release/assetexport-windows.zip.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake -S . -B build/release-mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DASSETEXPORT_TESTS=OFF -DASSETEXPORT_WERROR=ON >/dev/null
cmake --build build/release-mingw --target Marlo3Export Marlo5Export Marlo4Export Marlo0Export

stage="$PWD/build/release/assetexport-windows"
rm -rf "$stage" "$stage.zip"
mkdir -p "$stage"
for edition in 3 5 4 0; do
  x86_64-w64-mingw32-strip -o "$stage/Marlo${edition}Export.exe" "build/release-mingw/frontend/Marlo${edition}Export.exe"
done
cp demo/ZorvanDef.ini "$stage/"
cp -r demo/ledger "$stage/ledger"
# Notepad opens UTF-8 with a byte-order mark on every Windows, whatever the system's code page.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' release/README-ja.txt; } > "$stage/README-ja.txt"

(cd "$stage/.." && zip -qrX "assetexport-windows.zip" "assetexport-windows")
echo "$stage.zip"
unzip -l "$stage.zip"
