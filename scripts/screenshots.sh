#!/usr/bin/env bash
# Screenshots of the colour-picker dialog for the README: runs the demo tool
# under Wine on a private virtual display, stores the current colour in the
# lower swatch and drags in the colour field with the X pointer (xdotool), and
# writes docs/dialog.png (without alpha) and docs/dialog-alpha.png (with).
#
# Usage: scripts/screenshots.sh [build-dir]
#   build-dir: a Windows build whose bin/ holds dialog_demo_tool.exe
#              (default build/windows64)
# Needs Xvfb, Wine, ImageMagick (import, convert) and xdotool.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/windows64}
demo=$(cd "$build" && pwd)/bin/dialog_demo_tool.exe
if [ ! -f "$demo" ]; then
  echo "screenshots: $demo is missing; build the tools first" >&2
  exit 2
fi
for tool in import convert xdotool; do
  command -v "$tool" >/dev/null || { echo "screenshots: $tool is missing" >&2; exit 2; }
done

# A plain grey desktop behind the window, so that the crop is the window.
export TINTRA_SCREEN=1024x768x24
source "$root/scripts/wine-env.sh"
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
    rect=$(tr -d '\r' < "$work/out" | sed -n 's/^painted //p')
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
  # Client area origin: the window's frame, then the small caption.
  local border=$(( (w - 372) / 2 ))
  local cx=$(( x + border )) cy=$(( y + h - border - $(client_height "$@") ))
  # Store the present colour, then drag in the field to another one.
  xdotool mousemove $((cx + 336)) $((cy + 28)) click 1
  xdotool mousemove $((cx + 200)) $((cy + 60)) mousedown 1
  for step in 1 2 3 4 5 6; do
    xdotool mousemove $((cx + 200 - 8 * step)) $((cy + 60 + 6 * step))
  done
  xdotool mouseup 1
  # Rest the pointer on the window's background, away from the swatches.
  xdotool mousemove $((cx + 6)) $((cy + 6))
  wait_idle
  import -window root "$work/screen.png"
  convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$out"
  echo close >&3
  exec 3>&-
  wait "$pid" || true
  rm -f "$work/in"
  echo "wrote $out (result $(tr -d '\r' < "$work/out" | sed -n 's/^result //p'))"
}

# Client height of the demo's descriptor: 402 without alpha, 424 with.
client_height() {
  case " $* " in *" --alpha "*) echo 424 ;; *) echo 402 ;; esac
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

shot "$root/docs/dialog.png" --color 0xFF2A7FD4
shot "$root/docs/dialog-alpha.png" --alpha --color 0xA0D47F2A
