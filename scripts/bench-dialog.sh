#!/usr/bin/env bash
# Start-up and burst figures of the colour-picker dialog under Wine, on a
# private virtual display and prefix:
#  - time from process start to the first painted dialog (dialog_demo_tool
#    --first-paint-exit) against a minimal Win32 program that opens one
#    window of the same size (minimal_window_tool), as the median of several
#    runs, measured both from outside (wall clock around the Wine run) and
#    inside (the process's own creation time to its first paint); and the
#    ratio of the two;
#  - the refreshes, canvas redraws and paints for a burst of 1000 pointer
#    moves queued during a field drag (dialog_demo_tool --burst 1000);
#  - the mean time of one whole opening (set-up, first paint, close) over 50
#    openings in one process (dialog_demo_tool --repeat 50).
#
# Usage: scripts/bench-dialog.sh [build-dir] [runs]
#   build-dir: a Windows build whose bin/ holds the tools (default: the build
#              that runs on this machine, build/windows or build/windows64)
#   runs:      start-up runs per program (default 7)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
build=${1:-$root/build/$(tintra_windows_preset)}
runs=${2:-7}
bin=$(cd "$build" && pwd)/bin
for tool in dialog_demo_tool minimal_window_tool; do
  if [ ! -f "$bin/$tool.exe" ]; then
    echo "bench-dialog: $bin/$tool.exe is missing; build the tools first" >&2
    exit 2
  fi
done

tintra_start_display
tintra_start_wine
run="$root/tests/windows/wine-run.sh"

# Median of the numbers on standard input.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One timed start-up: prints "<wall ms> <in-process ms>".
startup() {
  local start end inside
  start=$(date +%s%N)
  inside=$("$run" "$bin/$1.exe" --first-paint-exit 2>/dev/null | awk '/^first-paint-ms/ { print $2 }')
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000000 )) ${inside:-nan}"
}

# Warm-up: the first run of each program writes its Wine settings and fills
# the system's caches.
startup dialog_demo_tool >/dev/null
"$run" "$bin/minimal_window_tool.exe" >/dev/null 2>&1 || true

: > /tmp/bench-dialog.$$.dialog
: > /tmp/bench-dialog.$$.minimal
trap 'rm -f /tmp/bench-dialog.$$.*; tintra_wine_cleanup' EXIT
for _ in $(seq 1 "$runs"); do
  # Alternate, so that both see the same machine load.
  startup dialog_demo_tool >> /tmp/bench-dialog.$$.dialog
  start=$(date +%s%N)
  inside=$("$run" "$bin/minimal_window_tool.exe" 2>/dev/null | awk '/^first-paint-ms/ { print $2 }')
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000000 )) ${inside:-nan}" >> /tmp/bench-dialog.$$.minimal
done

dialog_wall=$(cut -d' ' -f1 /tmp/bench-dialog.$$.dialog | median)
dialog_inside=$(cut -d' ' -f2 /tmp/bench-dialog.$$.dialog | median)
minimal_wall=$(cut -d' ' -f1 /tmp/bench-dialog.$$.minimal | median)
minimal_inside=$(cut -d' ' -f2 /tmp/bench-dialog.$$.minimal | median)

echo "start-up to first paint, median of $runs runs (milliseconds):"
printf '  %-22s wall %8s   in-process %8s\n' "dialog (demo tool)" "$dialog_wall" "$dialog_inside"
printf '  %-22s wall %8s   in-process %8s\n' "minimal window" "$minimal_wall" "$minimal_inside"
awk -v a="$dialog_wall" -v b="$minimal_wall" -v c="$dialog_inside" -v d="$minimal_inside" \
  'BEGIN { printf "  ratio dialog / minimal: wall %.2f, in-process %.2f\n", a / b, c / d }'
echo "burst during a field drag:"
"$run" "$bin/dialog_demo_tool.exe" --burst 1000 | sed -n 's/^/  /; /burst/p'
echo "one whole opening (set-up, first paint, close), mean of 50 in one process:"
"$run" "$bin/dialog_demo_tool.exe" --repeat 50 | sed -n 's/^/  /; /opening-ms/p'
echo "machine load (1, 5, 15 min): $(cut -d' ' -f1-3 /proc/loadavg)"
