#!/usr/bin/env bash
# Runs a command on a private virtual X display (a free number Xvfb picks) with
# the openbox window manager, and ends exactly those two afterwards.
#   tests/linux/x-run.sh COMMAND [ARGUMENTS...]
set -uo pipefail
# Xvfb picks a free display itself and writes its number once it accepts
# connections (-displayfd): two runs started together never share one, and
# nothing talks to a display that is not up yet.
number=$(mktemp /tmp/tintra-display.XXXXXX)
Xvfb -displayfd 3 -nolisten tcp -screen 0 "${TINTRA_SCREEN:-1600x1200x24}" 3>"$number" >/dev/null 2>&1 &
xvfb=$!
wm= runtime=
cleanup() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  [ -z "$runtime" ] || rm -rf "$runtime"
  rm -f "$number"
}
trap cleanup EXIT
for _ in $(seq 1 600); do
  [ -s "$number" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.05
done
n=$(head -n 1 "$number")
[ -n "$n" ] || { echo "x-run: the virtual display did not start" >&2; exit 1; }
export DISPLAY=":$n"
# A private runtime folder: Qt wants one, and none is set under ctest.
runtime=$(mktemp -d /tmp/tintra-xdg.XXXXXX)
export XDG_RUNTIME_DIR=$runtime
# Ready once it says what it supports (xdotool activates windows through
# _NET_ACTIVE_WINDOW); a loaded machine may take seconds. Now and then
# openbox ends during its start: it is started again (its messages are kept
# for the failure). Without it the command would run without a window
# manager, a failure of its own.
wm_ready() { xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW; }
for _ in 1 2 3; do
  openbox --sm-disable >>"$runtime/openbox.log" 2>&1 &
  wm=$!
  for _ in $(seq 1 600); do
    wm_ready && break
    kill -0 "$wm" 2>/dev/null || break
    sleep 0.05
  done
  wm_ready || kill -0 "$wm" 2>/dev/null && break
  wm=
done
wm_ready || {
  echo "x-run: the window manager did not start on :$n; openbox said:" >&2
  cat "$runtime/openbox.log" >&2
  exit 1
}
"$@" </dev/null
