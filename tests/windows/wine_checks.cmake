# The Windows build's checks under Wine, beside its test programs
# (tests/CMakeLists.txt): every test here and every case of those programs
# runs in the fixture "wine", a virtual X display and a Wine server for the
# prefix in BUILD/wine/ (wine.sh), started by Wine.Start and stopped by
# Wine.Stop. `ctest --preset windows` runs them all; scripts/windows test
# does just that, after packing the zip the WineZip checks unpack.
set(VX_NATIVE_VX1 "" CACHE FILEPATH "The native build's vx1, the reference of vx1.exe's frames")
set(VX_NATIVE_VXLIB "" CACHE FILEPATH "The native build's vxlib, the reference of vxlib.exe's listing")
set(VX_SHOW_LIBRARY "" CACHE FILEPATH "The show's archive vx-1.lib (beside vx-1-sharp.lib) the native build made")

set(vx_wine_state ${CMAKE_BINARY_DIR}/wine)
set(vx_wine ${CMAKE_CURRENT_LIST_DIR}/wine.sh)
add_test(NAME Wine.Start COMMAND ${vx_wine} ${vx_wine_state} start)
add_test(NAME Wine.Stop COMMAND ${vx_wine} ${vx_wine_state} stop)
set_tests_properties(Wine.Start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(Wine.Stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
# The test programs' cases too (vx_test): each runs as `wine.sh STATE
# test.exe --gtest_filter=...` in the fixture.
set(CMAKE_CROSSCOMPILING_EMULATOR ${vx_wine} ${vx_wine_state})
set(VX_TEST_PROPERTIES FIXTURES_REQUIRED wine)

# vx_wine_check(NAME SCRIPT ARG TIMEOUT): the check `SCRIPT ARG` of this
# folder as the test NAME in the fixture, label process, stopped after
# TIMEOUT seconds.
function(vx_wine_check name script arg timeout)
  add_test(NAME ${name} COMMAND ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${script} ${arg})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine LABELS process TIMEOUT ${timeout}
    ENVIRONMENT "VX_WINE_STATE=${vx_wine_state};VX_WINDOWS_BIN=${CMAKE_BINARY_DIR};VX_NATIVE_VX1=${VX_NATIVE_VX1};VX_NATIVE_VXLIB=${VX_NATIVE_VXLIB};VX_SHOW_LIBRARY=${VX_SHOW_LIBRARY}")
endfunction()

vx_wine_check(WineVx1.SharpScreenshotsMatchNative screenshot_checks.sh sharp 900)
vx_wine_check(WineVx1.ScreenshotsMatchNative screenshot_checks.sh classic 600)
vx_wine_check(WineVx1.ViewsMatchNative screenshot_checks.sh views 300)
vx_wine_check(WineVxlib.ListMatchesNative vxlib_checks.sh list 120)
vx_wine_check(WineVxlib.BuildsAndExtractsUtf8FileNames vxlib_checks.sh names 120)
vx_wine_check(WineZip.PlaysFromAnotherFolder zip_checks.sh another-folder 300)
vx_wine_check(WineZip.SlashQuestionMarkPrintsHelp zip_checks.sh help 120)
vx_wine_check(WineVx1.CaptureThroughStandInFfmpeg vx1_checks.sh capture 300)
vx_wine_check(WineVx1.MessageBoxesTellWhyWithoutArchive vx1_checks.sh message-boxes 120)
vx_wine_check(WineVx1.WindowLitAndEscapeEnds vx1_checks.sh window 180)
# Before the test programs' five hundred short cases, the longest first, so
# that two jobs end together; CTest replaces these costs with the times it
# measures.
set_tests_properties(WineVx1.SharpScreenshotsMatchNative PROPERTIES COST 1000)
set_tests_properties(WineVx1.ScreenshotsMatchNative WineVxlib.ListMatchesNative
                     WineVxlib.BuildsAndExtractsUtf8FileNames WineZip.PlaysFromAnotherFolder
                     WineZip.SlashQuestionMarkPrintsHelp WineVx1.CaptureThroughStandInFfmpeg
                     WineVx1.MessageBoxesTellWhyWithoutArchive WineVx1.WindowLitAndEscapeEnds
                     PROPERTIES COST 100)
# The zip is scripts/windows pack's: without one these are skipped.
set_tests_properties(WineZip.PlaysFromAnotherFolder WineZip.SlashQuestionMarkPrintsHelp
                     PROPERTIES SKIP_RETURN_CODE 77 LABELS "process;zip")
# These two look at the display and click or press keys in it; the window's
# look is at the whole display, and its 10 s are not to be spent waiting for
# the other tests' processes.
set_tests_properties(WineVx1.MessageBoxesTellWhyWithoutArchive PROPERTIES RESOURCE_LOCK display)
set_tests_properties(WineVx1.WindowLitAndEscapeEnds PROPERTIES RUN_SERIAL ON)
