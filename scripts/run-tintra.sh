#!/usr/bin/env bash
# Runs Tintra on a fresh Debian/Ubuntu machine with one command: installs what
# is needed (scripts/setup.sh), builds the Windows programs, and runs Tintra
# under Wine with the clipboard as its input and output.
#
# - On your desktop (when $DISPLAY answers): the dialog opens there; edit the
#   colour and press OK. The result is printed at the end and stays on the
#   clipboard until you press Enter.
# - Without a usable display: Tintra runs on a private virtual display; the
#   script saves pictures of the dialog (and of the format chooser), presses
#   OK (and the RGB button) for you, and prints the result.
#
# If the clipboard holds no text, a sample colour text is put on it first.
# Override it with TINTRA_SAMPLE='$80FF8000' bash scripts/run-tintra.sh, and
# the build folder (build/windows or build/windows64) with TINTRA_BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh

source scripts/wine-env.sh
preset=$(tintra_windows_preset)
if [ "$preset" = windows64 ]; then
  echo "== this machine runs no 32-bit programs: using the 64-bit build of Tintra"
fi
build=${TINTRA_BUILD_DIR:-$root/build/$preset}
echo "== building Tintra ($preset, in $build)"
cmake --preset "$preset" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target Tintra run_tintra_tool
bin=$build/bin

sample=${TINTRA_SAMPLE:-"rgb(255,128,0)"}
arguments=("$sample")
desktop=no
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  desktop=yes
  echo "== running Tintra on your display $DISPLAY"
  [ -t 0 ] && arguments+=(--keep)
else
  tintra_start_display
  shots=$root/build/run-tintra
  mkdir -p "$shots"
  rm -f "$shots"/tintra-*.bmp "$shots"/tintra-*.png
  echo "== no usable display: running Tintra on a virtual display ($DISPLAY)"
  echo "   pictures of what it shows go to $shots/"
  # Wine's drive Z: is the root of the file system.
  arguments+=(--demo "Z:${shots//\//\\}\\tintra")
fi
echo "== starting Wine (a private prefix; the first start takes about 30 s)"
tintra_start_wine

"$root/tests/windows/wine-run.sh" "$bin/run_tintra_tool.exe" "${arguments[@]}"

if [ "$desktop" = no ]; then
  for bmp in "$shots"/tintra-*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    echo "   look at ${bmp%.bmp}.png"
  done
fi
