# Sourced by the scripts that run Windows programs: starts a private virtual
# X display and a private Wine prefix, and ends exactly those on exit.
# After sourcing: DISPLAY, WINEPREFIX and WINEDEBUG are exported.

tintra_wine_cleanup() {
  if [ -n "${TINTRA_WINEPREFIX_OWNED:-}" ]; then
    WINEPREFIX=$TINTRA_WINEPREFIX_OWNED wineserver -k 2>/dev/null || true
    rm -rf "$TINTRA_WINEPREFIX_OWNED"
  fi
  if [ -n "${TINTRA_XVFB_PID:-}" ]; then
    kill "$TINTRA_XVFB_PID" 2>/dev/null || true
    wait "$TINTRA_XVFB_PID" 2>/dev/null || true
  fi
}

tintra_start_display() {
  # Xvfb picks a free display itself and writes its number once it accepts
  # connections (-displayfd): runs started together never share one.
  local number n i
  number=$(mktemp /tmp/tintra-display.XXXXXX)
  Xvfb -displayfd 3 -nolisten tcp -screen 0 "${TINTRA_SCREEN:-1280x1024x24}" 3>"$number" \
    >/dev/null 2>&1 &
  TINTRA_XVFB_PID=$!
  for i in $(seq 1 300); do
    [ -s "$number" ] && break
    kill -0 "$TINTRA_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  n=$(head -n 1 "$number")
  rm -f "$number"
  if [ -z "$n" ]; then
    echo "wine-env: the virtual display did not start" >&2
    return 1
  fi
  export DISPLAY=":$n"
}

# Whether this machine executes 32-bit programs; some sandboxes do not, and
# there only the 64-bit build of the Windows programs can run under Wine.
tintra_runs_32bit() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The Windows build whose programs run here: the shipped 32-bit one, or the
# 64-bit build of the same sources where 32-bit programs cannot execute.
tintra_windows_preset() {
  if tintra_runs_32bit; then echo windows; else echo windows64; fi
}

tintra_start_wine() {
  TINTRA_WINEPREFIX_OWNED=$(mktemp -d /tmp/tintra-wine.XXXXXX)
  export WINEPREFIX=$TINTRA_WINEPREFIX_OWNED
  export WINEDEBUG=-all
  # No Mono or Gecko installer prompts in the fresh prefix.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if tintra_runs_32bit; then
    TINTRA_WINE=wine
  else
    TINTRA_WINE=/usr/lib/wine/wine64
    export WINELOADER=/usr/lib/wine/wine64
  fi
  # A server that stays up between the test programs, started first so that
  # the system processes the prefix set-up starts (services.exe, plugplay...)
  # stay up with it. Started later by a test program, they would inherit its
  # output and hold ctest's pipe open after the test ended, so that ctest
  # waited forever.
  wineserver -p </dev/null >/dev/null 2>&1
  $TINTRA_WINE wineboot -i </dev/null >/dev/null 2>&1 || true
}

trap tintra_wine_cleanup EXIT
