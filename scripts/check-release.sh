#!/usr/bin/env bash
# check-release.sh - the release ZIP as users get it: unpacked into a fresh folder and a fresh Wine
# prefix, in an environment that names no build folder and no MinGW folder (the programs find only
# what the ZIP and Windows hold), each program started from the unpacked folder as the current
# folder. Ends with "check-release: FAILED: <what>" at the first check that does not hold.
#
# usage: check-release.sh [ZIP]   (default build/release/assetexport-windows.zip, SHA256SUMS beside it)
#   RELEASE_ROBOT=EXE       the window robot (default build/mingw/tests/win32/robot_test.exe)
#   RELEASE_NATIVE=PROGRAM  the Linux build of Marlo3Export, the reference for the written files
#                           (default build/native/frontend/Marlo3Export)
#   RELEASE_TIMEOUT=SECONDS bound of the whole check (default 300)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Everything below runs under one bound; the trap still cleans up when it strikes.
if [ -z "${RELEASE_BOUNDED:-}" ]; then
  export RELEASE_BOUNDED=1
  exec timeout -k 15 "${RELEASE_TIMEOUT:-300}" bash "$0" "$@"
fi

fail() {
  echo "check-release: FAILED: $*" >&2
  exit 1
}

zip=$(realpath -m "${1:-$root/build/release/assetexport-windows.zip}")
robot=$(realpath -m "${RELEASE_ROBOT:-$root/build/mingw/tests/win32/robot_test.exe}")
native=$(realpath -m "${RELEASE_NATIVE:-$root/build/native/frontend/Marlo3Export}")
for file in "$zip" "$robot" "$native"; do
  [ -f "$file" ] || fail "$file is missing"
done

tmp=$(mktemp -d /tmp/check-release.XXXXXX)
prefix="$tmp/wineprefix"
cleanup() {
  local rc=$?
  set +e
  if [ -d "$prefix" ]; then
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null
    WINEPREFIX="$prefix" wineserver -w 2>/dev/null
  fi
  # Wine processes stopped by the time limit may still be going away.
  for _ in 1 2 3 4 5; do
    rm -rf "$tmp" 2>/dev/null && break
    sleep 1
  done
  exit $rc
}
trap cleanup EXIT
trap 'echo "check-release: FAILED: stopped after ${RELEASE_TIMEOUT:-300} s or by a signal" >&2; exit 143' TERM INT HUP

# The whole environment of every run: no WINEPATH, no HOSTSIM_LEDGER, a PATH of system folders.
mkdir -p "$tmp/home"
clean=(env -i HOME="$tmp/home" USER="${USER:-root}" PATH=/usr/bin:/bin WINEPREFIX="$prefix")

echo "== the ZIP"
(cd "$(dirname "$zip")" && sha256sum --quiet -c SHA256SUMS) || fail "$zip does not match the SHA256SUMS beside it"
unzip -q "$zip" -d "$tmp"
app="$tmp/assetexport-windows"
for file in Marlo3Export.exe Marlo5Export.exe Marlo4Export.exe Marlo0Export.exe ZorvanDef.ini README-ja.txt \
            ledger/datasets.csv; do
  [ -f "$app/$file" ] || fail "the ZIP holds no assetexport-windows/$file"
done

echo "== imported DLLs"
# DLLs of Windows itself; MinGW's C++, GCC and thread runtimes must be linked in, never imported.
foreign=
for exe in "$app"/*.exe; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  [ -n "$dlls" ] || fail "$(basename "$exe"): no import table found"
  echo "$(basename "$exe"):" $dlls
  for dll in $dlls; do
    case "${dll,,}" in
      kernel32.dll | user32.dll | gdi32.dll | comdlg32.dll | comctl32.dll | shlwapi.dll | psapi.dll | \
        ole32.dll | oleaut32.dll | advapi32.dll | shell32.dll | version.dll | msvcrt.dll | api-ms-win-crt-*.dll) ;;
      *) foreign="$foreign $(basename "$exe"):$dll" ;;
    esac
  done
done
[ -z "$foreign" ] || fail "DLLs that Windows does not ship are imported:$foreign"

# run_unpacked SECONDS OUT PROGRAM [ARG ...]: the unpacked PROGRAM run in its folder, bounded,
# its output in the file OUT.
run_unpacked() {
  local seconds=$1 out=$2 program=$3
  shift 3
  (cd "$app" && "${clean[@]}" timeout -k 5 "$seconds" bash "$root/scripts/wine-run.sh" "$app/$program" "$@" \
    >"$out" 2>&1 </dev/null)
}

echo "== Marlo3Export.exe --version (in a new Wine prefix)"
version=$(sed -n 's/^project([^ ]* VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || fail "no project version in CMakeLists.txt"
rc=0
run_unpacked 120 "$tmp/version.txt" Marlo3Export.exe --version || rc=$?
cat "$tmp/version.txt"
[ $rc -eq 0 ] || fail "Marlo3Export.exe --version ended with status $rc"
awk -v version="$version" 'index($0, "Marlo3Export") && index($0, version) { found = 1 } END { exit !found }' \
  "$tmp/version.txt" ||
  fail "Marlo3Export.exe --version gives no line naming Marlo3Export and version $version"

echo "== the dialog, started without arguments and closed"
rc=0
"${clean[@]}" ROBOT_RELEASE=1 ROBOT_TIMEOUT=120 ROBOT_WINEPREFIX="$prefix" bash "$root/tests/win32/run-robot.sh" \
  "$robot" "$app/Marlo3Export.exe" "$native" "$tmp/robot" --gtest_filter='Release.*' >"$tmp/robot.txt" 2>&1 || rc=$?
cat "$tmp/robot.txt"
[ $rc -eq 0 ] || fail "the dialog of the unpacked Marlo3Export.exe (robot status $rc, above)"
grep -q '^\[  PASSED  \] 1 test' "$tmp/robot.txt" && ! grep -q '^\[  SKIPPED \]' "$tmp/robot.txt" ||
  fail "the robot did not run the release case"

echo "== a scripted run over the shipped ledger"
rc=0
run_unpacked 120 "$tmp/run.txt" Marlo3Export.exe --path 'C:\out\a.csv' --answer yes --no-viewer || rc=$?
iconv -f CP932 -t UTF-8 "$tmp/run.txt" 2>/dev/null || cat "$tmp/run.txt"
case $rc in
  0 | 1) ;;
  124 | 137) fail "the scripted run did not end by itself within 120 s" ;;
  *) fail "the scripted run ended with status $rc" ;;
esac
out="$prefix/drive_c/out"
for file in a.csv syurui.SSC; do
  [ -s "$out/$file" ] || fail "the scripted run wrote no C:\\out\\$file"
done
if [ $rc -eq 1 ]; then
  [ -s "$out/Marlo3SysErr.txt" ] || fail "the scripted run ended with status 1 but wrote no C:\\out\\Marlo3SysErr.txt"
  grep -aq 'Marlo3SysErr.txt' "$tmp/run.txt" || fail "the scripted run's transcript does not name the log"
fi

# The same steps in the Linux build over the same ledger give the reference bytes.
mkdir -p "$tmp/native/c"
native_rc=0
(cd "$tmp/native" && "${clean[@]}" HOSTSIM_LEDGER="$app/ledger" ASSETEXPORT_DRIVES="C=$tmp/native/c:fixed" \
  "$native" --path 'C:\out\a.csv' --answer yes --no-viewer >transcript.txt 2>&1 </dev/null) || native_rc=$?
[ $native_rc -eq $rc ] || fail "the scripted run ended with status $rc, the Linux build's with $native_rc"
for file in a.csv syurui.SSC Marlo3SysErr.txt; do
  [ -e "$out/$file" ] || [ -e "$tmp/native/c/out/$file" ] || continue
  cmp "$out/$file" "$tmp/native/c/out/$file" || fail "C:\\out\\$file differs from the Linux build's"
done

echo "check-release: the release ZIP passed every check"
