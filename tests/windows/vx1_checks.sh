#!/usr/bin/env bash
# vx1.exe under Wine as a user starts it (see check.sh for the setting):
#   message-boxes  with a console of its own and no vx-1.lib, message boxes
#                  tell why, and nothing is left behind
#   capture        --capture through the test build's stand-in for ffmpeg
#   window         --window --mute: the window is lit within 10 s, and Escape
#                  ends it with exit code 0
# shellcheck source=tests/windows/check.sh
. "$(dirname "$0")/check.sh"

# message_boxes: started as from Explorer, with a console of its own (here
# wineconsole's), which it lets go, a failure is told in a message box: without
# vx-1.lib the picture loader's "Load Error" comes first, then the box "VX-1"
# with the reason and the advice. Each box's button is clicked (no window
# manager here to give it the keys).
message_boxes() {
  click_ok() {
    local box="" X Y WIDTH HEIGHT SCREEN WINDOW
    for _ in $(seq 150); do
      box=$(xdotool search --name "^$1\$" 2> /dev/null | head -n 1 || true)
      [ -n "$box" ] && break
      sleep 0.2
    done
    [ -n "$box" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$box")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 20)) click 1
  }
  local alone="$work/seul à côté"
  mkdir -p "$alone"
  cp "$bin/vx1.exe" "$alone/"
  (cd "$alone" && exec wineconsole vx1.exe --window) > "$work/alone.log" 2>&1 &
  local alone_pid=$!
  if ! click_ok "KVS_JPEG message" || ! click_ok "VX-1"; then
    kill "$alone_pid" 2> /dev/null || true
    fail "no message box named VX-1 within 30 s of the Load Error"
  fi
  wait "$alone_pid" || true
  local kept
  kept=$(find "$WINEPREFIX/drive_c/users" -name 'vx1-errors-*' 2> /dev/null || true)
  [ -z "$kept" ] || fail "the kept errors stayed: $kept"
  note "both boxes shown; nothing left behind"
}

# capture: the capture's child process and clean-up, with the stand-in
# program as ffmpeg: it writes the raw frames it reads to the output file (and
# its arguments beside them), then exits with VX_STAND_IN_EXIT. Windows looks
# for ffmpeg.exe in the current folder before PATH.
capture() {
  local cap=$work/capture
  mkdir -p "$cap"
  cp "$bin/tests/vx_stand_in.exe" "$cap/ffmpeg.exe"
  (cd "$cap" && wine "$bin/vx1.exe" --library "$VX_SHOW_LIBRARY" --capture new.mp4 --duration 1 --fps 10) \
    > "$work/capture.log" 2>&1 || { tail -n 5 "$work/capture.log" >&2; fail "vx1.exe --capture failed"; }
  local size music music_path status left
  size=$(stat -c %s "$cap/new.mp4" 2> /dev/null || echo 0)
  [ "$size" -eq $((10 * 320 * 240 * 4)) ] || fail "new.mp4 holds $size bytes, not 10 frames of 320 x 240"
  music=$(find "$cap" -name '*.args' -exec cat {} + | tr -d '\r' | grep -i '\.mp3$' | head -n 1 || true)
  [ -n "$music" ] || fail "ffmpeg was given no music"
  music_path=$(wine winepath -u "${music#file:}" 2> /dev/null | tr -d '\r')
  [ -n "$music_path" ] && [ -d "$(dirname "$music_path")" ] || fail "no folder for the music $music"
  [ ! -e "$music_path" ] || fail "the temporary music stayed: $music_path"
  find "$cap" -name '*.args' -delete
  printf 'old video' > "$cap/old.mp4"
  status=0
  (cd "$cap" && VX_STAND_IN_EXIT=3 wine "$bin/vx1.exe" --library "$VX_SHOW_LIBRARY" --capture old.mp4 \
    --duration 1 --fps 10) > "$work/capture.log" 2>&1 || status=$?
  find "$cap" -name '*.args' -delete
  [ "$status" -eq 1 ] || fail "vx1.exe --capture with a failing ffmpeg ended with exit code $status, not 1"
  grep -q 'vx1: ffmpeg failed (exit code 3)' "$work/capture.log" ||
    { cat "$work/capture.log" >&2; fail "vx1.exe did not report ffmpeg's failure"; }
  [ "$(cat "$cap/old.mp4")" = "old video" ] || fail "a failed capture changed old.mp4"
  left=$(cd "$cap" && ls -A | grep -v -x -e ffmpeg.exe -e new.mp4 -e old.mp4 || true)
  [ -z "$left" ] || fail "a failed capture left $left"
  note "10 frames through the pipe; a failing ffmpeg leaves old.mp4 as it was and nothing else"
}

# window: times in milliseconds since the program's start. The 10 s are the
# program's; the check itself may take longer to look under load (each look
# is a screenshot of the display), so it keeps looking for up to a minute and
# then compares the moment its look ended, an upper bound of the moment the
# window was lit, with the 10 s. CTest runs it alone (RUN_SERIAL): the look is
# at the whole display.
window() {
  local title="VVS window" started lit_ms="" window="" looked pressed ended status
  ms() { local t=${EPOCHREALTIME/./}; echo $(((t - started) / 1000)); }
  seconds() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }
  started=${EPOCHREALTIME/./}
  # From the archive's folder, where it finds vx-1.lib.
  (cd "$(dirname "$VX_SHOW_LIBRARY")" && exec wine "$bin/vx1.exe" --window --mute) > "$work/window.log" 2>&1 &
  local vx1_pid=$!
  while [ "$(ms)" -lt 60000 ] && kill -0 "$vx1_pid" 2> /dev/null; do
    sleep 0.2
    [ -n "$window" ] || window=$(xdotool search --name "^$title\$" 2> /dev/null | head -n 1 || true)
    [ -n "$window" ] || continue
    import -window root "$work/window.png" 2> /dev/null || continue
    looked=$(ms)
    if [ "$(convert "$work/window.png" -format '%[fx:maxima.r+maxima.g+maxima.b > 0]' info:)" = 1 ]; then
      lit_ms=$looked
      break
    fi
  done
  if [ -z "$lit_ms" ]; then
    tail -n 5 "$work/window.log" >&2
    kill -0 "$vx1_pid" 2> /dev/null || fail "vx1.exe ended before its window was lit"
    kill "$vx1_pid" 2> /dev/null || true
    [ -n "$window" ] || fail "no window named '$title' within 60 s"
    fail "the window stayed black for 60 s"
  fi
  if [ "$lit_ms" -gt 10000 ]; then
    kill "$vx1_pid" 2> /dev/null || true
    fail "the window was lit only $(seconds "$lit_ms") s after the start, not within 10 s"
  fi
  note "lit within $(seconds "$lit_ms") s of the start"
  # The loader's fade-in and fade-out run to their end before the show reads
  # its keys, and the shutdown takes about 2 s under Wine: up to 15 s, more on
  # a loaded machine.
  xdotool key --window "$window" Escape
  pressed=$(ms)
  while kill -0 "$vx1_pid" 2> /dev/null && [ $(($(ms) - pressed)) -lt 30000 ]; do
    sleep 0.1
  done
  if kill -0 "$vx1_pid" 2> /dev/null; then
    kill "$vx1_pid" 2> /dev/null || true
    fail "vx1.exe still runs 30 s after Escape"
  fi
  ended=$(ms)
  status=0
  wait "$vx1_pid" || status=$?
  [ "$status" -eq 0 ] || { cat "$work/window.log" >&2; fail "vx1.exe ended with exit code $status"; }
  note "Escape ended it with exit code 0 after $(seconds $((ended - pressed))) s"
}

case "${1:-}" in
  message-boxes) message_boxes ;;
  capture) capture ;;
  window) window ;;
  *)
    echo "vx1_checks.sh: usage: vx1_checks.sh message-boxes|capture|window" >&2
    exit 2
    ;;
esac
