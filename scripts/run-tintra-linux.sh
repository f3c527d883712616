#!/usr/bin/env bash
# Runs the Linux program tintra with one command: installs what is needed
# (scripts/setup.sh), builds it (the linux preset), and runs it with the
# clipboard as its input and output.
#
# - On your desktop (when $DISPLAY answers): the dialog opens there; edit the
#   colour and press OK. The result stays on the clipboard after tintra ends,
#   and is printed.
# - Without a usable display: tintra runs on a private virtual display with
#   a window manager; the script saves a picture of the dialog, presses OK
#   for you (along the Tab order: the dialog has the keyboard), and prints
#   the result.
#
# If the clipboard holds no text, a sample colour text is put on it first.
# Override it with TINTRA_SAMPLE='$80FF8000' bash scripts/run-tintra-linux.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ "${1:-}" != --inside ]; then
  bash scripts/setup.sh
  echo "== building tintra (linux preset, in build/linux)"
  cmake --preset linux >/dev/null
  cmake --build --preset linux -j"$(nproc)" --target tintra
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    echo "== no usable display: running tintra on a virtual display"
    exec tests/linux/x-run.sh "$0" --inside
  fi
fi
tintra=$root/build/linux/bin/tintra

sample=${TINTRA_SAMPLE:-"rgb(255,128,0)"}
current=$(xclip -selection clipboard -o 2>/dev/null || true)
if [ -z "$current" ]; then
  printf '%s' "$sample" | xclip -selection clipboard -i
  current=$sample
fi
echo "   clipboard before: $current"
if [ "${1:-}" = --inside ]; then
  "$tintra" &
  pid=$!
  dialog=
  for _ in $(seq 1 200); do
    dialog=$(xdotool search --all --onlyvisible --pid "$pid" --name "lection de couleur" 2>/dev/null | head -1) || true
    [ -n "$dialog" ] && break
    sleep 0.05
  done
  [ -n "$dialog" ] || { echo "run-tintra-linux: the dialog did not open" >&2; kill "$pid"; exit 1; }
  sleep 0.5
  mkdir -p build/run-tintra
  import -frame -window "$dialog" build/run-tintra/tintra-linux-dialog.png
  echo "   look at $root/build/run-tintra/tintra-linux-dialog.png"
  # From the preset combo along the Tab order to OK (three channel fields,
  # four with alpha), then Space; a notation-less text also gets the chooser,
  # whose first button takes the focus.
  tabs=4
  case "$current" in RGBA*|rgba*|'$'????????) tabs=5 ;; esac
  xdotool windowactivate --sync "$dialog"
  for _ in $(seq 1 $tabs); do xdotool key Tab; done
  xdotool key space
  # The chooser, when the text had no notation: its first button has the focus.
  for _ in $(seq 1 200); do
    kill -0 "$pid" 2>/dev/null || break
    chooser=$(xdotool search --all --onlyvisible --pid "$pid" --name "Choix du format" 2>/dev/null | head -1) || true
    if [ -n "$chooser" ]; then
      xdotool windowactivate --sync "$chooser" key space
      break
    fi
    sleep 0.05
  done
  wait "$pid"
else
  "$tintra"
fi
echo "   clipboard after tintra ended: $(xclip -selection clipboard -o 2>/dev/null || echo '(no text)')"
