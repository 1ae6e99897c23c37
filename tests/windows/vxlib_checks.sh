#!/usr/bin/env bash
# vxlib.exe under Wine (see check.sh for the setting):
#   list   `vxlib.exe list` of the show's archive prints the native vxlib's lines
#   names  vxlib.exe builds and extracts with file names beyond ASCII
# shellcheck source=tests/windows/check.sh
. "$(dirname "$0")/check.sh"

case "${1:-}" in
  list)
    wine "$bin/vxlib.exe" list "$VX_SHOW_LIBRARY" > "$work/windows.txt" ||
      fail "vxlib.exe list ended with exit code $?"
    "$VX_NATIVE_VXLIB" list "$VX_SHOW_LIBRARY" > "$work/linux.txt"
    # The Windows console ends lines with CR LF.
    tr -d '\r' < "$work/windows.txt" | diff -u "$work/linux.txt" - ||
      fail "vxlib.exe list prints other lines"
    note "the same $(wc -l < "$work/linux.txt") lines"
    ;;
  names)
    # File names are UTF-8 on both systems: the programs' manifest makes
    # UTF-8 Windows' code page for them (Wine decodes the arguments by the
    # locale).
    mkdir -p "$work/DATA"
    head -c 4096 /dev/urandom > "$work/DATA/stored.bin"
    printf '[dir]\r\nDATA\\\r\n[file]\r\nstored.bin\r\n[end_of_dir]\r\n[eof]\r\n' > "$work/déjà vu.txt"
    (cd "$work" && wine "$bin/vxlib.exe" build "déjà vu.txt" "bibliothèque-ü.lib" &&
      wine "$bin/vxlib.exe" extract "bibliothèque-ü.lib" 'DATA\stored.bin' "sortie-ß.bin") ||
      fail "vxlib.exe failed on non-ASCII file names"
    [ -f "$work/bibliothèque-ü.lib" ] || fail "vxlib.exe build did not write bibliothèque-ü.lib: $(ls "$work")"
    cmp -s "$work/DATA/stored.bin" "$work/sortie-ß.bin" ||
      fail "vxlib.exe extract did not write the stored bytes to sortie-ß.bin: $(ls "$work")"
    note "bibliothèque-ü.lib built and sortie-ß.bin extracted under their own names"
    ;;
  *)
    echo "vxlib_checks.sh: usage: vxlib_checks.sh list|names" >&2
    exit 2
    ;;
esac
