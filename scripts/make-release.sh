#!/usr/bin/env bash
# Builds the Windows programs and packs them for Windows users: the four programs, the level file,
# the demo ledger and a readme in Japanese, as assetexport-windows.zip with SHA256SUMS beside it.
# The same commit gives the same bytes, whatever the build folder, the clock or the time zone.
#
# usage: make-release.sh [BUILD_DIR [OUT_DIR]]   (default build/release-mingw and build/release)
#   SOURCE_DATE_EPOCH  the release's time (default the commit's time; 1980-01-01 without git)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath -m "${1:-build/release-mingw}")
out=$(realpath -m "${2:-build/release}")

bash scripts/install-deps.sh

# The release's time is the commit's: strip writes it into the PE headers (the clock otherwise),
# GCC into __DATE__, and every entry of the ZIP carries it.
stamp=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
export SOURCE_DATE_EPOCH=${stamp:-315532800}

# MinGW's linker writes the link time into the PE header unless told not to.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DASSETEXPORT_TESTS=OFF -DASSETEXPORT_WERROR=ON \
  -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-Wl,--no-insert-timestamp >/dev/null
cmake --build "$build" --target Marlo3Export Marlo5Export Marlo4Export Marlo0Export

stage="$out/assetexport-windows"
rm -rf "$stage" "$stage.zip" "$out/SHA256SUMS"
mkdir -p "$stage"
for edition in 3 5 4 0; do
  x86_64-w64-mingw32-strip -o "$stage/Marlo${edition}Export.exe" "$build/frontend/Marlo${edition}Export.exe"
done
cp demo/ZorvanDef.ini "$stage/"
cp -r demo/ledger "$stage/ledger"
# Notepad opens UTF-8 with a byte-order mark on every Windows, whatever the system's code page.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' release/README-ja.txt; } > "$stage/README-ja.txt"

# Every entry with the commit's time and fixed modes, in sorted order, without the extra fields
# that carry owners and access times; the ZIP stores local times, so the zone is fixed too.
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec touch -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$out" && find assetexport-windows | LC_ALL=C sort | TZ=UTC zip -qX -@ assetexport-windows.zip)
(cd "$out" && sha256sum assetexport-windows.zip > SHA256SUMS)
echo "$stage.zip"
unzip -l "$stage.zip"
cat "$out/SHA256SUMS"
