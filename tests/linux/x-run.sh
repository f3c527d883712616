#!/usr/bin/env bash
# Runs a command on a private virtual X display (a random free number) with
# the openbox window manager, and ends exactly those two afterwards.
#   tests/linux/x-run.sh COMMAND [ARGUMENTS...]
set -uo pipefail
for n in $(seq $((100 + RANDOM % 400)) 700); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
done
Xvfb ":$n" -nolisten tcp -screen 0 "${TINTRA_SCREEN:-1600x1200x24}" >/dev/null 2>&1 &
xvfb=$!
wm=
cleanup() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
}
trap cleanup EXIT
for _ in $(seq 1 100); do
  [ -e "/tmp/.X11-unix/X$n" ] && break
  sleep 0.05
done
[ -e "/tmp/.X11-unix/X$n" ] || { echo "x-run: the virtual display :$n did not start" >&2; exit 1; }
export DISPLAY=":$n"
# A private runtime folder: Qt wants one, and none is set under ctest.
runtime=$(mktemp -d /tmp/tintra-xdg.XXXXXX)
export XDG_RUNTIME_DIR=$runtime
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for _ in $(seq 1 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.05
done
"$@" </dev/null
status=$?
rm -rf "$runtime"
exit $status
