#!/usr/bin/env bash
# Runs the whole Windows suite and the Linux table N times in a row (each on
# its own private display and prefix), with one core kept busy by a spinning
# process, to show that no case depends on an idle machine. Prints one line
# per run and exits non-zero when any run failed; each run's full output is
# kept in the log folder given.
#
# Usage: scripts/repeat-suites.sh [N] [log-dir] [windows|linux|both]
#   N        runs of each suite (default 10)
#   log-dir  where run-K-windows.log and run-K-linux.log go (default a new
#            folder under /tmp)
# The builds must exist: scripts/test-all.sh (or the presets) made them.
# TINTRA_NO_SPINNER=1: no spinner of its own (a second instance beside one
# that has it).
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
logs=${2:-$(mktemp -d /tmp/tintra-repeat.XXXXXX)}
which=${3:-both}
mkdir -p "$logs"

# The spinner is ours alone: it ends by its id, whatever ends this script.
if [ "${TINTRA_NO_SPINNER:-0}" != 1 ]; then
  bash -c 'while :; do :; done' &
  spinner=$!
  trap 'kill "$spinner" 2>/dev/null' EXIT
fi

windows_suite() {
  (
    source scripts/wine-env.sh
    tintra_start_display && tintra_start_wine &&
      ctest --preset "$(tintra_windows_preset)" --output-on-failure
  )
}

failed=0
for ((k = 1; k <= runs; k++)); do
  for suite in windows linux; do
    [ "$which" = both ] || [ "$which" = "$suite" ] || continue
    start=$SECONDS
    if [ "$suite" = windows ]; then
      windows_suite >"$logs/run-$k-windows.log" 2>&1
    else
      ctest --preset linux -R '^linux_' --output-on-failure >"$logs/run-$k-linux.log" 2>&1
    fi
    status=$?
    summary=$(grep -E 'tests passed|tests failed' "$logs/run-$k-$suite.log" | tail -1)
    echo "run $k $suite: exit $status after $((SECONDS - start)) s: $summary"
    [ "$status" -eq 0 ] || failed=$((failed + 1))
  done
done
echo "logs in $logs"
[ "$failed" -eq 0 ] && echo "every run passed" || { echo "$failed runs failed"; exit 1; }
