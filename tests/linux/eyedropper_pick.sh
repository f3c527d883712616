#!/bin/bash
# Runs the X11 eyedropper rows on a virtual display of their own (Xvfb with
# openbox, 640 x 480), at a device pixel ratio of 1 and of 2.
# Usage: eyedropper_pick.sh PICK_TOOL [SCREENSHOT_FOLDER]
set -u
tool=$1
shots=${2:-}

n=
for n in $(seq $((100 + RANDOM % 400)) 600); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
done
Xvfb ":$n" -nolisten tcp -screen 0 640x480x24 >/dev/null 2>&1 &
xvfb_pid=$!
wm_pid=
cleanup() {
  if [ -n "$wm_pid" ]; then
    kill "$wm_pid" 2>/dev/null
    wait "$wm_pid" 2>/dev/null
  fi
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  [ -n "${runtime:-}" ] && rm -rf "$runtime"
}
trap cleanup EXIT
for _ in $(seq 1 100); do
  [ -e "/tmp/.X11-unix/X$n" ] && break
  sleep 0.1
done
if [ ! -e "/tmp/.X11-unix/X$n" ]; then
  echo "eyedropper_pick: the virtual display :$n did not start" >&2
  exit 1
fi
export DISPLAY=":$n" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# A private runtime folder: Qt wants one, and none is set under ctest.
runtime=$(mktemp -d /tmp/tintra-xdg.XXXXXX)
export XDG_RUNTIME_DIR=$runtime
openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
for _ in $(seq 1 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.05
done

status=0
for scale in 1 2; do
  shot=
  [ -n "$shots" ] && shot="$shots/eyedropper-x$scale.png"
  QT_SCALE_FACTOR=$scale "$tool" $shot || status=1
done
exit $status
