#!/usr/bin/env bash
# Screenshots of the colour-picker dialog for the README: runs the demo tool
# under Wine on a private virtual display, stores the current colour in the
# lower swatch and drags in the colour field with the X pointer (xdotool), and
# writes docs/dialog.png (without alpha), docs/dialog-alpha.png (with) and
# docs/dialog-alpha-200.png (with alpha, the display at 192 DPI: 200 %).
# Where to press comes from the dialog's own layout at its DPI, which the
# demo tool prints.
#
# Usage: scripts/screenshots.sh [build-dir]
#   build-dir: a Windows build whose bin/ holds dialog_demo_tool.exe
#              (default: the build that runs on this machine, build/windows
#              or build/windows64)
# Needs Xvfb, Wine, ImageMagick (import, convert) and xdotool.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
build=${1:-$root/build/$(tintra_windows_preset)}
demo=$(cd "$build" && pwd)/bin/dialog_demo_tool.exe
if [ ! -f "$demo" ]; then
  echo "screenshots: $demo is missing; build the tools first" >&2
  exit 2
fi
for tool in import convert xdotool; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing" >&2; exit 2; }
done

# A plain grey desktop behind the window, so that the crop is the window.
export TINTRA_SCREEN=1280x1024x24
tintra_start_display
tintra_start_wine
mkdir -p "$root/docs"
work=$(mktemp -d /tmp/tintra-shots.XXXXXX)
trap 'rm -rf "$work"; tintra_wine_cleanup' EXIT

# shot <output.png> <demo arguments...>
shot() {
  local out=$1
  shift
  mkfifo "$work/in"
  "$root/tests/windows/wine-run.sh" "$demo" --close-on-input "$@" < "$work/in" > "$work/out" 2>&1 &
  local pid=$!
  exec 3> "$work/in"  # keeps the demo's input open until we close the dialog
  local i rect=""
  for i in $(seq 1 300); do
    # The points follow the window's rectangle; the last one ends the report.
    [ -n "$(point rest)" ] && rect=$(tr -d '\r' < "$work/out" | sed -n 's/^painted //p')
    [ -n "$rect" ] && break
    sleep 0.1
  done
  if [ -z "$rect" ]; then
    echo "screenshots: the dialog did not paint" >&2
    cat "$work/out" >&2
    exec 3>&-
    wait "$pid" || true
    return 1
  fi
  read -r x y w h <<< "$rect"
  # Store the present colour, then drag in the field to another one.
  read -r sx sy <<< "$(point store)"
  read -r fx fy <<< "$(point drag-from)"
  read -r tx ty <<< "$(point drag-to)"
  xdotool mousemove "$sx" "$sy" click 1
  xdotool mousemove "$fx" "$fy" mousedown 1
  for step in 1 2 3 4 5 6; do
    xdotool mousemove $((fx + (tx - fx) * step / 6)) $((fy + (ty - fy) * step / 6))
  done
  xdotool mouseup 1
  # Rest the pointer on the window's background, away from the swatches.
  read -r rx ry <<< "$(point rest)"
  xdotool mousemove "$rx" "$ry"
  wait_idle
  import -window root "$work/screen.png"
  convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$out"
  echo close >&3
  exec 3>&-
  wait "$pid" || true
  rm -f "$work/in"
  echo "wrote $out (result $(tr -d '\r' < "$work/out" | sed -n 's/^result //p'))"
}

# The screen place of a point the demo tool printed: "point NAME X Y".
point() {
  tr -d '\r' < "$work/out" | sed -n "s/^point $1 //p"
}

# The display's DPI for the next shot: Wine reads it when a program starts.
set_dpi() {
  $TINTRA_WINE reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1
}

# The dialog draws after its events; give the X server a round trip to show it.
wait_idle() {
  local i before after
  before=$(import -window root -depth 8 rgb:- | md5sum)
  for i in $(seq 1 50); do
    sleep 0.1
    after=$(import -window root -depth 8 rgb:- | md5sum)
    [ "$after" = "$before" ] && return 0
    before=$after
  done
}

set_dpi 96
shot "$root/docs/dialog.png" --color 0xFF2A7FD4
shot "$root/docs/dialog-alpha.png" --alpha --color 0xA0D47F2A
set_dpi 192
shot "$root/docs/dialog-alpha-200.png" --alpha --color 0xA0D47F2A
