#!/usr/bin/env bash
# Wine for the Windows build's tests, with the virtual X display it wants even
# for console programs, all in STATE (build-windows/wine/).
#
#   wine.sh STATE start            the CTest fixture's setup: starts Xvfb on a
#                                  free display and a Wine server, and
#                                  prepares the prefix
#   wine.sh STATE stop             its cleanup: stops both and removes STATE/tmp
#   wine.sh STATE PROGRAM ARGS...  runs the .exe PROGRAM under Wine there: the
#                                  emulator CTest runs the test programs with
#
# A watcher started with the display stops everything once the CTest run that
# started it has gone, however it ended (an interrupt, a kill), when the
# cleanup test could not run.
set -euo pipefail
here=$(dirname "$0")
# shellcheck source=tests/windows/wine_env.sh
. "$here/wine_env.sh"
state=$1
shift
mkdir -p "$state"
vx_wine_env "$state"

stop() {
  wineserver -k > /dev/null 2>&1 || true
  if [ -s "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2> /dev/null || true
  fi
  rm -rf "$state/display" "$state/xvfb.pid" "$state/run" "$state/tmp"
}

start() {
  stop # whatever a run killed before its cleanup left behind
  mkdir -p "$state/tmp"
  local display=90
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
  done
  # No descriptor of CTest's stays open in the processes that outlive this
  # script, or CTest would wait for them.
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp < /dev/null > "$state/xvfb.log" 2>&1 &
  echo $! > "$state/xvfb.pid"
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
  done
  if [ ! -e "/tmp/.X11-unix/X$display" ]; then
    echo "wine.sh: Xvfb did not start: $(cat "$state/xvfb.log")" >&2
    stop
    exit 1
  fi
  echo ":$display" > "$state/display"
  vx_wine_env "$state"
  # One server stays up between the tests (each start costs about 2 s) for a
  # minute after the last; it refuses to start when one already serves this
  # prefix, which then does the same.
  wineserver -p 60 < /dev/null > /dev/null 2>&1 || true
  if ! wineboot --init < /dev/null > "$state/wineboot.log" 2>&1; then
    echo "wine.sh: wineboot failed: $(tail -n 5 "$state/wineboot.log")" >&2
    stop
    exit 1
  fi
  # The parent is the CTest process running the tests.
  echo "$PPID" > "$state/run"
  nohup "$0" "$state" watch "$PPID" < /dev/null > /dev/null 2>&1 &
  echo "wine.sh: Xvfb on :$display, prefix $WINEPREFIX"
}

# watch PID: stops everything once the CTest process PID has ended, unless
# its cleanup did so before (and another run may have started since).
watch() {
  trap '' INT HUP TERM
  while kill -0 "$1" 2> /dev/null; do sleep 1; done
  if [ "$(cat "$state/run" 2> /dev/null)" = "$1" ]; then stop; fi
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  watch) watch "$2" ;;
  "")
    echo "wine.sh: usage: wine.sh STATE start|stop|PROGRAM ARGS..." >&2
    exit 2
    ;;
  *) exec wine "$@" ;;
esac
