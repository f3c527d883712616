#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest (the cross-compiling emulator)
# and for the scripts. The caller provides a private WINEPREFIX and DISPLAY
# (scripts/wine-env.sh). A 64-bit program goes to the 64-bit loader directly:
# the `wine` front script prefers the 32-bit loader whenever it is installed.
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "wine-run.sh: WINEPREFIX and DISPLAY must be set (see scripts/wine-env.sh)" >&2
  exit 2
fi
exe=$(readlink -f "$1")  # Wine needs an absolute path
shift
export WINEDEBUG=${WINEDEBUG:--all}
loader=wine
if file -b "$exe" | grep -q '^PE32+'; then
  export WINELOADER=/usr/lib/wine/wine64
  loader=/usr/lib/wine/wine64
fi
if [ -z "${TINTRA_WINE_OUTPUT_TO_FILE:-}" ]; then
  exec "$loader" "$exe" "$@"
fi
# Output read by ctest through a pipe: Wine hands a program's output on to
# the processes it starts, and some of them (the desktop, system services)
# outlive it, so the pipe would stay open and ctest wait for ever. Collect
# the output in a file nobody waits on and pass it on when the program ends.
out=$(mktemp /tmp/tintra-wine-run.XXXXXX)
trap 'rm -f "$out"' EXIT
status=0
"$loader" "$exe" "$@" >"$out" 2>&1 || status=$?
cat "$out"
exit "$status"
