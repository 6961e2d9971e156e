#!/usr/bin/env bash
# Builds Marlo3Export and runs the whole export on the demo ledger through the scripted front end:
# drive C: is build/demo-run/c, the output goes to C:\出力\表計算\償却資産.csv, and the text viewer
# is a small script that prints the link error log.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh native

cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DASSETEXPORT_TESTS=OFF >/dev/null
cmake --build build/demo --target Marlo3Export >/dev/null

work="$PWD/build/demo-run"
rm -rf "$work"
mkdir -p "$work/c/Program Files/Windows NT/Accessories"
cp -r demo/ledger "$work/ledger"
# The viewer the program starts on a non-empty log (on Windows, the system's own).
viewer="$work/c/Program Files/Windows NT/Accessories/Wordpad.exe"
cat > "$viewer" <<'VIEWER'
#!/bin/sh
echo "---- viewer: $1 (UTF-8) ----"
iconv -f CP932 -t UTF-8 "$1" | tr -d '\r'
echo "---- viewer closed ----"
VIEWER
chmod +x "$viewer"

export LC_ALL=C.UTF-8 HOSTSIM_LEDGER="$work/ledger" ASSETEXPORT_DRIVES="C=$work/c:fixed" ASSETEXPORT_WINDIR='C:\windows'
# Exit status 1: exported, with entries in the link error log (the demo ledger has some).
status=0
build/demo/frontend/Marlo3Export --path 'C:\出力\表計算\償却資産.csv' --answer yes || status=$?
[ "$status" -le 1 ] || { echo "run-demo: the export failed (exit status $status)" >&2; exit "$status"; }

out="$work/c/出力/表計算"
set +o pipefail  # head closes the pipes early
echo
echo "==== files in $out"
ls -l "$out"
echo
echo "==== 償却資産.csv: header, column names and the first rows (first 12 columns, UTF-8)"
iconv -f CP932 -t UTF-8 "$out/償却資産.csv" | tr -d '\r' | head -n 12 | cut -d, -f1-12
echo
echo "==== syurui.SSC (UTF-8)"
iconv -f CP932 -t UTF-8 "$out/syurui.SSC" | tr -d '\r' | head -n 22
echo
echo "==== remembered path: $work/c/設定/Marlo3Export.env"
iconv -f CP932 -t UTF-8 "$work/c/設定/Marlo3Export.env"
