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
if file -b "$exe" | grep -q '^PE32+'; then
  export WINELOADER=/usr/lib/wine/wine64
  exec /usr/lib/wine/wine64 "$exe" "$@"
fi
exec wine "$exe" "$@"
