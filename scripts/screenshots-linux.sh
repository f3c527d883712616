#!/usr/bin/env bash
# Screenshots of the Linux program for the README: runs tintra on a private
# virtual display with openbox (tests/linux/x-run.sh), with a colour text on
# the clipboard, and writes docs/linux-dialog.png (96 DPI), and
# docs/linux-dialog-200.png and docs/linux-chooser-200.png (192 DPI: a device
# pixel ratio of 2). Each picture is the window with its frame.
#
# Usage: scripts/screenshots-linux.sh [tintra]   (default: build/linux/bin/tintra)
# Needs Xvfb, openbox, xclip, xdotool and ImageMagick (import).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" != --inside ]; then
  tintra=$(realpath "${1:-$root/build/linux/bin/tintra}")
  [ -x "$tintra" ] || { echo "screenshots-linux: $tintra is missing; build the linux preset" >&2; exit 2; }
fi
for tool in import xdotool xclip Xvfb openbox; do
  command -v "$tool" >/dev/null || { echo "screenshots-linux: $tool is missing" >&2; exit 2; }
done

if [ "${1:-}" != --inside ]; then
  export TINTRA_SCREEN=1280x1024x24
  exec "$root/tests/linux/x-run.sh" "$0" --inside "$tintra"
fi
tintra=$2

# Waits (up to 10 s) for a visible window of process $1 titled $2; prints it.
wait_window() {
  local w
  for _ in $(seq 1 200); do
    w=$(xdotool search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | head -1) || true
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.05
  done
  echo "screenshots-linux: no window '$2'" >&2
  return 1
}

# shot SCALE TEXT PICTURE [CHOOSER-PICTURE]: the dialog with TEXT on the
# clipboard; with a fourth argument, OK is pressed and the chooser taken too.
shot() {
  local scale=$1 text=$2 picture=$3 chooser_picture=${4:-}
  printf '%s' "$text" | xclip -selection clipboard -quiet -i >/dev/null 2>&1 &
  local holder=$!
  sleep 0.2
  QT_SCALE_FACTOR=$scale "$tintra" >/dev/null 2>&1 &
  local pid=$!
  local dialog
  dialog=$(wait_window "$pid" "Sélection de couleur")
  sleep 0.5  # the first paint follows the mapping
  import -frame -window "$dialog" "$picture"
  echo "   $picture"
  if [ -n "$chooser_picture" ]; then
    # OK by the keyboard, along the Tab order: the preset combo has the
    # focus, then the red, green, blue and alpha fields, then OK.
    xdotool windowactivate --sync "$dialog"
    xdotool key --delay 50 Tab Tab Tab Tab Tab space
    local chooser
    chooser=$(wait_window "$pid" "Choix du format")
    sleep 0.5
    import -frame -window "$chooser" "$chooser_picture"
    echo "   $chooser_picture"
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  kill "$holder" 2>/dev/null || true
  wait "$holder" 2>/dev/null || true
}

mkdir -p "$root/docs"
shot 1 'RGBA(48, 160, 224, 200)' "$root/docs/linux-dialog.png"
shot 2 'RGB(255,128,0)' "$root/docs/linux-dialog-200.png"
shot 2 '' "$root/docs/linux-dialog-alpha-200.png" "$root/docs/linux-chooser-200.png"
