#!/usr/bin/env bash
# The soak tests in full, one after the other, under Wine on a private
# virtual display and prefix (CI runs them shortened, see
# tests/windows/tests.cmake):
#   - the picker dialog opened and driven to its end 2000 times in one process;
#   - the eyedropper run 200 times in one dialog;
#   - the plug-in sent 10000 WM_COPYDATA messages, good and bad, during one dialog;
#   - the standalone program run 200 times in a row against the real clipboard.
# Each prints its report (runs, time, memory samples). Exits non-zero when
# any of them failed. Takes about 15 minutes. Needs the packages of
# scripts/setup.sh.
set -uo pipefail
cd "$(dirname "$0")/.."

source scripts/wine-env.sh
preset=$(tintra_windows_preset)
echo "== build ($preset)"
cmake --preset "$preset" >/dev/null || exit 1
cmake --build --preset "$preset" -j"$(nproc)" >/dev/null || exit 1
bin=build/$preset/bin

tintra_start_display || exit 1
tintra_start_wine

failed=()
soak() {
  local name=$1
  shift
  echo
  echo "== soak: $name ($*)"
  local start=$SECONDS status=0
  tests/windows/wine-run.sh "$bin/$1" "${@:2}" || status=$?
  echo "== soak: $name: exit code $status after $((SECONDS - start)) s"
  [ "$status" -eq 0 ] || failed+=("$name")
}

soak "dialog, 2000 openings" dialog_soak_wintest.exe 2000
soak "eyedropper, 200 runs" eyedropper_wintest.exe --soak 200 soak
soak "plug-in, 10000 messages" plugin_wintest.exe --flood 10000 hostile
soak "standalone, 200 runs" standalone_wintest.exe --soak 200 soak

echo
if [ "${#failed[@]}" -eq 0 ]; then
  echo "== all 4 soaks passed"
else
  echo "== soaks failed: ${failed[*]}"
  exit 1
fi
