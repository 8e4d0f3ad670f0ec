#!/usr/bin/env bash
# The dialog for real: Tessivar.exe under Wine on a virtual display, driven by dialog_driver.exe through its
# own controls; a screenshot of the finished run is kept. Exits 77 (skipped) without Xvfb or Wine.
# Usage: dialog-test.sh TESSIVAR_EXE DRIVER_EXE FIXTURE WORK_DIR [SCREENSHOT.png]
set -uo pipefail
gui=$1 driver=$2 fixture=$3 work=$4 shot=${5:-$4/dialog.png}
command -v Xvfb >/dev/null && command -v wine >/dev/null || { echo "Xvfb or Wine missing"; exit 77; }

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
rm -rf "$work" && mkdir -p "$work"
export WINEDEBUG=-all WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree=;mshtml="
display=77
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
cleanup() { wineserver -k 2>/dev/null; kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; }
trap cleanup EXIT
export DISPLAY=:$display
wineboot -i >/dev/null 2>&1

# Screenshot when the driver says the run is shown, then let it close the program.
(
  for _ in $(seq 1 600); do
    if [ -e "$work/data/ready-for-screenshot" ]; then
      window=$(xdotool search --name '^Tessivar$' 2>/dev/null | head -1)
      import -window "${window:-root}" "$shot" 2>/dev/null
      touch "$work/data/screenshot-taken"
      exit 0
    fi
    sleep 0.2
  done
) &
shooter=$!

wine "$driver" first "$(winpath "$gui")" "$(winpath "$fixture")" "$(winpath "$work/data")"
first=$?
wait "$shooter"
wine "$driver" restart "$(winpath "$gui")" "$(winpath "$fixture")" "$(winpath "$work/data")"
second=$?
wine "$driver" queued "$(winpath "$gui")" "$(winpath "$fixture")" "$(winpath "$work/data")"
third=$?
[ -e "$shot" ] && echo "screenshot: $shot"
[ $first -eq 0 ] && [ $second -eq 0 ] && [ $third -eq 0 ]
