# shellcheck shell=bash
# Sourced by the Wine checks of the Windows build (tests/windows/*_checks.sh),
# which CTest runs with the fixture's display and Wine server up
# (wine_checks.cmake) and these variables set:
#   VX_WINE_STATE    the fixture's folder (build-windows/wine/)
#   VX_WINDOWS_BIN   the Windows build's folder with vx1.exe, vxlib.exe, tests/
#   VX_NATIVE_VX1, VX_NATIVE_VXLIB, VX_SHOW_LIBRARY
#                    the native build's vx1 and vxlib, and the show's archive
#                    it made (beside its sharp one): the references
# Each check works in a folder of its own under the fixture's, removed on
# every way out (the fixture's cleanup removes what a killed check left).
set -euo pipefail
# shellcheck source=tests/windows/wine_env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"
vx_wine_env "$VX_WINE_STATE"
bin=$VX_WINDOWS_BIN
check_name="$(basename "$0" .sh) ${1:-}"
fail() {
  echo "$check_name: FAILED: $*" >&2
  exit 1
}
note() { echo "$check_name: $*"; }
[ -n "${DISPLAY:-}" ] || fail "no display: the fixture Wine.Start has not run"
for reference in "$VX_NATIVE_VX1" "$VX_NATIVE_VXLIB" "$VX_SHOW_LIBRARY"; do
  [ -f "$reference" ] || fail "$reference is missing: build the native preset first (cmake --build --preset native)"
done
mkdir -p "$VX_WINE_STATE/tmp"
work=$(mktemp -d "$VX_WINE_STATE/tmp/$check_name.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM HUP
