# shellcheck shell=bash
# Sourced: the environment every Wine run of the Windows build's tests shares,
# the prefix and the virtual display of the build's own under STATE
# (build-windows/wine/), never ~/.wine or the desktop's display.
#
#   vx_wine_env STATE
vx_wine_env() {
  export WINEPREFIX=$1/prefix WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=;mshtml=" # no Mono or Gecko install prompts
  # Wine turns Windows' names into Unix ones by the locale: in the C locale no
  # name beyond ASCII can be made at all (Windows itself has no such limit),
  # so every run is in a UTF-8 one.
  export LC_ALL=C.UTF-8
  # The display of the fixture's Xvfb once it runs. CTest lists the test
  # programs' cases before any test, so before the display exists; listing
  # needs none.
  if [ -s "$1/display" ]; then
    DISPLAY=$(cat "$1/display")
    export DISPLAY
  else
    unset DISPLAY
  fi
}
