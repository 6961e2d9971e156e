#!/usr/bin/env bash
# Installs what is missing, builds both configurations and runs every test natively and under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset sanitize

echo "== fuzz targets, a bounded run of each over its seed corpus"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"

echo "== Windows build (MinGW-w64) and tests under Wine"
cmake --preset mingw >/dev/null
cmake --build --preset mingw
export WINEPREFIX="$PWD/build/wineprefix"
# One prefix and one persistent server for the whole run, with Wine's own services started here
# on null handles: services started by the first test would hold CTest's output pipe open.
scripts/wine-run.sh cmd /c exit 0 >/dev/null 2>&1 </dev/null || true
wineserver -p || true
scripts/wine-run.sh cmd /c exit 0 >/dev/null 2>&1 </dev/null || true
trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true' EXIT
ctest --preset mingw

echo "== the release ZIP: the same bytes from two builds, then checked as users unpack it"
bash scripts/make-release.sh
bash scripts/make-release.sh build/release-mingw-again build/release-again >/dev/null
cmp build/release/assetexport-windows.zip build/release-again/assetexport-windows.zip ||
  { echo "test-all: FAILED: two builds of this commit give different release ZIPs" >&2; exit 1; }
bash scripts/check-release.sh build/release/assetexport-windows.zip
