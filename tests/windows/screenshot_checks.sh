#!/usr/bin/env bash
# vx1.exe --screenshot under Wine against the native vx1's PNG files, byte for
# byte (see check.sh for the setting):
#   classic  the 320x200 show at eight moments
#   sharp    the sharp show every 3 s (so at least twice in every slot) at one
#            wide size, 1280x720: the draw threads and the resampled pictures
#            give the same bytes under Windows. (The native tests compare the
#            sizes and the thread counts with each other; a second size here
#            added a minute and no case.)
#   views    two views inside the engine at two moments (--view), the ones
#            the page's check holds too
# shellcheck source=tests/windows/check.sh
. "$(dirname "$0")/check.sh"

# One moment (seconds) in one view, Windows and native, compared.
compare_view() {
  local t=$1 view=$2
  wine "$bin/vx1.exe" --library "$VX_SHOW_LIBRARY" --view "$view" \
    --screenshot "$t" "$work/windows-$view.png" > "$work/windows.log" 2>&1 ||
    { tail -n 20 "$work/windows.log" >&2; fail "vx1.exe --screenshot $t --view $view failed"; }
  "$VX_NATIVE_VX1" --library "$VX_SHOW_LIBRARY" --view "$view" \
    --screenshot "$t" "$work/linux-$view.png" > "$work/linux.log" 2>&1 ||
    { tail -n 20 "$work/linux.log" >&2; fail "vx1 --screenshot $t --view $view failed"; }
  cmp -s "$work/windows-$view.png" "$work/linux-$view.png" ||
    fail "the $view view at $t s differs"
}
if [ "${1:-}" = views ]; then
  compare_view 47.4 wire
  compare_view 26.628 depth
  note "the wire view at 47.4 s and the depth view at 26.628 s are byte for byte the same"
  exit 0
fi

options=()
moments=()
case "${1:-}" in
  classic) moments=(0 7.5 15 30 45 60 90 120) ;;
  sharp)
    options=(--resolution 1280x720)
    for ((t = 1; t < 121; t += 3)); do moments+=("$t"); done
    ;;
  *)
    echo "screenshot_checks.sh: usage: screenshot_checks.sh classic|sharp|views" >&2
    exit 2
    ;;
esac

win_args=() linux_args=()
for t in "${moments[@]}"; do
  win_args+=(--screenshot "$t" "$work/windows-$t.png")
  linux_args+=(--screenshot "$t" "$work/linux-$t.png")
done
wine "$bin/vx1.exe" --library "$VX_SHOW_LIBRARY" "${options[@]}" "${win_args[@]}" > "$work/windows.log" 2>&1 ||
  { tail -n 20 "$work/windows.log" >&2; fail "vx1.exe --screenshot ${options[*]} failed"; }
"$VX_NATIVE_VX1" --library "$VX_SHOW_LIBRARY" "${options[@]}" "${linux_args[@]}" > "$work/linux.log" 2>&1 ||
  { tail -n 20 "$work/linux.log" >&2; fail "vx1 --screenshot ${options[*]} failed"; }
for t in "${moments[@]}"; do
  cmp -s "$work/windows-$t.png" "$work/linux-$t.png" || fail "the frames at $t s differ"
done
note "the ${#moments[@]} frames are byte for byte the same"
