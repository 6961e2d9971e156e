#!/usr/bin/env bash
# run-robot.sh - drives a Windows deliverable with the window robot under Wine, in a virtual X
# display and a Wine prefix of its own, and turns the robot's screenshots into PNG files.
#
# usage: run-robot.sh ROBOT.exe PROGRAM.exe NATIVE_PROGRAM OUT_DIR [robot arguments ...]
#   NATIVE_PROGRAM  the Linux build of the same deliverable: it writes the reference files
#   OUT_DIR         gets robot-work/ (scratch) and robot-screenshots/ (the PNG files)
#   ROBOT_SCREENSHOTS=DIR  the PNG files go to DIR instead (relative to the source root)
#   ROBOT_TIMEOUT=SECONDS  bound of the whole run (default 300)
#   ROBOT_WINEPREFIX=DIR   the Wine prefix (default build/wineprefix-robot)
#   ROBOT_DPI=N            the display's DPI (default 96; 144 is 150 % scaling), in a prefix of its
#                          own (the prefix's name with -N); the PNG files get -Ndpi in their names
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)

# Everything below runs under one bound; the trap still cleans up when it strikes.
if [ -z "${ROBOT_BOUNDED:-}" ]; then
  export ROBOT_BOUNDED=1
  exec timeout -k 15 "${ROBOT_TIMEOUT:-300}" bash "$0" "$@"
fi

if [ $# -lt 4 ]; then
  sed -n '4,12p' "$0" >&2
  exit 2
fi
dpi=${ROBOT_DPI:-96}
dpi_suffix=${ROBOT_DPI:+-${dpi}dpi}
case "$dpi" in
  '' | *[!0-9]*) echo "run-robot: ROBOT_DPI must be a number: $dpi" >&2; exit 2 ;;
esac
robot=$(realpath "$1")
program=$(realpath "$2")
native=$3
out=$(mkdir -p "$4" && realpath "$4")
shift 4
if [ ! -x "$native" ]; then
  echo "run-robot: $native is missing; build the native configuration first" >&2
  exit 2
fi
native=$(realpath "$native")

shots="$out/robot-screenshots"
if [ -n "${ROBOT_SCREENSHOTS:-}" ]; then
  case "$ROBOT_SCREENSHOTS" in /*) shots=$ROBOT_SCREENSHOTS ;; *) shots="$root/$ROBOT_SCREENSHOTS" ;; esac
fi
work="$out/robot-work"

export WINEPREFIX="${ROBOT_WINEPREFIX:-$root/build/wineprefix-robot}"
# Another DPI in another prefix: the 96-DPI prefix stays as the other cases expect it.
[ "$dpi" -eq 96 ] || WINEPREFIX="$WINEPREFIX-$dpi"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ja_JP.UTF-8
unset DISPLAY

# The robot moves Wordpad away for one case and plants C:\Program.exe for another; a robot that
# was stopped there leaves them so.
accessories="$WINEPREFIX/drive_c/Program Files/Windows NT/Accessories"
restore_wordpad() {
  if [ -e "$accessories/wordpad.exe.robot-away" ] && [ ! -e "$accessories/wordpad.exe" ]; then
    mv "$accessories/wordpad.exe.robot-away" "$accessories/wordpad.exe"
  fi
  rm -f "$WINEPREFIX/drive_c/Program.exe" "$WINEPREFIX/drive_c/Program.exe.started"
}

xvfb_pid=
robot_pid=
cleanup() {
  local rc=$?
  set +e
  [ -n "$robot_pid" ] && kill "$robot_pid" 2>/dev/null
  if [ -f "$WINEPREFIX/system.reg" ]; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  restore_wordpad
  exit $rc
}
trap cleanup EXIT
trap 'exit 143' TERM INT HUP

# Windows form of a Unix path, through Wine's drive Z: (the whole file system).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

rm -rf "$work"
mkdir -p "$work/bmp" "$work/reference/c" "$shots"

# The reference files: the Linux build on the demo ledger, through its scripted front end.
(cd "$work/reference" &&
  HOSTSIM_LEDGER="$root/demo/ledger" ASSETEXPORT_DRIVES="C=$work/reference/c:fixed" \
    "$native" --path 'C:\out\x.csv' --answer yes >"$work/reference/transcript.txt" 2>&1 </dev/null) ||
  # 1: exported with entries in the link error log, which the demo ledger has.
  [ $? -eq 1 ] ||
  { echo "run-robot: the reference run failed:" >&2; cat "$work/reference/transcript.txt" >&2; exit 1; }

# A virtual display on a free number.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/display" ] || { echo "run-robot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
fi
restore_wordpad
# The caption buttons' glyph font: this Wine's own copy is not found where it looks for it.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
  mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi

# Japanese fonts where the programs ask for the Windows ones, a virtual desktop (without one the
# windows have no caption under Xvfb) and the display's DPI. Imported again only when this text
# changes.
settings="$WINEPREFIX/drive_c/robot-settings.reg"
{
  printf '\xff\xfe'
  iconv -f UTF-8 -t UTF-16LE <<EOF
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:$(printf '%08x' "$dpi")

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"ＭＳ Ｐゴシック"="IPAPGothic"
"MS Shell Dlg"="IPAPGothic"
"MS Shell Dlg 2"="IPAPGothic"
"MS UI Gothic"="IPAPGothic"
EOF
} >"$work/robot-settings.reg"
if ! cmp -s "$work/robot-settings.reg" "$settings"; then
  cp "$work/robot-settings.reg" "$settings"
  wine regedit /S 'C:\robot-settings.reg' >/dev/null 2>&1 </dev/null
  wineserver -w
fi

export ROBOT_PROGRAM ROBOT_REFERENCE ROBOT_DEMO_LEDGER ROBOT_SHOTS ROBOT_DPI=$dpi
ROBOT_PROGRAM=$(winpath "$program")
ROBOT_REFERENCE=$(winpath "$work/reference/c/out")
ROBOT_DEMO_LEDGER=$(winpath "$root/demo/ledger")
ROBOT_SHOTS=$(winpath "$work/bmp")
# The other deliverables, "|"-separated, in Windows form.
others=
IFS='|' read -r -a other_list <<<"${ROBOT_OTHER_PROGRAMS:-}"
for other in "${other_list[@]}"; do
  [ -n "$other" ] && others="${others:+$others|}$(winpath "$(realpath "$other")")"
done
export ROBOT_OTHER_PROGRAMS=$others

rc=0
wine "$robot" "$@" </dev/null &
robot_pid=$!
wait "$robot_pid" || rc=$?
robot_pid=

for bmp in "$work"/bmp/*.bmp; do
  [ -e "$bmp" ] || continue
  name=$(basename "$bmp" .bmp)
  convert "$bmp" "$shots/$name$dpi_suffix.png"
done
exit $rc
