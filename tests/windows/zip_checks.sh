#!/usr/bin/env bash
# The programs of build-windows/vx1-windows.zip as a user runs them, unzipped
# into a folder whose name is not ASCII (see check.sh for the setting):
#   another-folder  vx1.exe started from another folder (a shortcut's "Start
#                   in", ..\VX-1\vx1.exe in cmd) finds vx-1.lib in its own and
#                   draws the native frame at 45 s, to a file named beyond ASCII
#   help            "vx1.exe /?" prints the help
# The zip is scripts/windows pack's, not the build's: without it, or when it
# is older than vx1.exe, the check is skipped (exit code 77), or fails when
# VX_ZIP_REQUIRED=1 (scripts/windows test).
# shellcheck source=tests/windows/check.sh
. "$(dirname "$0")/check.sh"

zip=$bin/vx1-windows.zip
if [ ! -f "$zip" ] || [ "$zip" -ot "$bin/vx1.exe" ]; then
  [ "${VX_ZIP_REQUIRED:-0}" = 1 ] && fail "$zip is missing or older than vx1.exe (run scripts/windows pack)"
  note "skipped: $zip is missing or older than vx1.exe (scripts/windows pack makes it)"
  exit 77
fi
unzipped="$work/Mes démos ÄÖ"
mkdir -p "$unzipped" "$work/elsewhere"
(cd "$unzipped" && unzip -q "$zip")
vx1=$unzipped/VX-1/vx1.exe

case "${1:-}" in
  another-folder)
    (cd "$work/elsewhere" && wine "$vx1" --screenshot 45 "à côté.png") ||
      fail "vx1.exe found no vx-1.lib beside itself"
    "$VX_NATIVE_VX1" --library "$VX_SHOW_LIBRARY" --screenshot 45 "$work/linux-45.png" > "$work/linux.log" 2>&1 ||
      { tail -n 20 "$work/linux.log" >&2; fail "vx1 --screenshot failed"; }
    cmp -s "$work/elsewhere/à côté.png" "$work/linux-45.png" || fail "the frame at 45 s differs"
    note "the frame at 45 s is the native one, written as \"à côté.png\""
    ;;
  help)
    wine "$vx1" '/?' > "$work/help.log" 2>&1 || fail "vx1.exe /? ended with exit code $?"
    grep -q -- '--library PATH' "$work/help.log" || { head -n 3 "$work/help.log" >&2; fail "vx1.exe /? printed no help"; }
    note "/? prints the help"
    ;;
  *)
    echo "zip_checks.sh: usage: zip_checks.sh another-folder|help" >&2
    exit 2
    ;;
esac
