#!/usr/bin/env bash
# Speed of the Linux program (a Release build, linux preset), as figures:
# - start-up: from the process start to its painted dialog, against a bare
#   Qt window of the dialog's size (tests/linux/bare_window_tool), started in
#   turn on the same private virtual display (no window manager: the window
#   maps on the root); medians of RUNS starts each, and their ratio (the goal
#   is 1.25 at most);
# - the filter to its dialog: `tintra --filter` on one CSS line, from the
#   process start to its painted dialog, against the bare window drawing one
#   line of text (bare_window_tool --text); the goal is 1.25 at most;
# - the filter without a dialog: `tintra --filter --no-dialog --to css-rgb`
#   on one line, start to exit, against a program that copies its standard
#   input to its standard output (copy_stdin_tool); the goal is 2 at most;
# - the burst: 1000 pointer moves of one drag queued at once, and how many
#   refreshes and canvas redraws the dialog made of them (one each is the
#   goal).
# Each ratio's two programs run in turn, alternating, in the same run.
# No figure fails: they are printed to compare.
#
# Usage: scripts/bench-linux.sh [RUNS]   (default 21)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-21}
build=$root/build/linux
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target tintra bare_window_tool startup_timer_tool copy_stdin_tool dialog_burst_tool >/dev/null

# A free display Xvfb picks itself, its number written once it is up.
number=$(mktemp /tmp/tintra-display.XXXXXX)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$number" >/dev/null 2>&1 &
xvfb=$!
holder=
cleanup() {
  [ -n "$holder" ] && kill "$holder" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
for _ in $(seq 1 200); do [ -s "$number" ] && break; sleep 0.05; done
n=$(head -n 1 "$number")
rm -f "$number"
[ -n "$n" ] || { echo "bench-linux: the virtual display did not start" >&2; exit 1; }
export DISPLAY=":$n"
runtime=$(mktemp -d /tmp/tintra-xdg.XXXXXX)
export XDG_RUNTIME_DIR=$runtime

# The dialog opens on an orange colour, as the bare window is filled.
printf 'RGB(255,128,0)' | xclip -selection clipboard -quiet -i >/dev/null 2>&1 &
holder=$!
sleep 0.2
echo "== start-up to the painted window, $runs starts each, alternating"
"$build/bin/startup_timer_tool" "$runs" "$build/bin/bare_window_tool" "$build/bin/tintra" |
  sed -e 's/^A /bare Qt window /' -e 's/^B /tintra /' -e 's|^ratio B/A|ratio tintra / bare window|'
line='color: #ff8000;
'
echo "== tintra --filter to its painted dialog, $runs starts each, alternating"
"$build/bin/startup_timer_tool" --input "$line" "$runs" "$build/bin/bare_window_tool --text" \
  "$build/bin/tintra --filter" |
  sed -e 's/^A /bare Qt window with a line of text /' -e 's/^B /tintra --filter /' \
    -e 's|^ratio B/A|ratio tintra --filter / bare window|'
echo "== tintra --filter --no-dialog --to css-rgb on one line, start to exit, $((runs * 5)) runs each"
"$build/bin/startup_timer_tool" --until-exit --input "$line" "$((runs * 5))" \
  "$build/bin/copy_stdin_tool" "$build/bin/tintra --filter --no-dialog --to css-rgb" |
  sed -e 's/^A /copy of stdin to stdout /' -e 's/^B /tintra --filter --no-dialog /' \
    -e 's|^ratio B/A|ratio tintra / copy|'
echo "== a burst of pointer moves in one drag, queued at once"
"$build/bin/dialog_burst_tool" 1000
rm -rf "$runtime"
