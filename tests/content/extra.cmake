# The show's generated content: the generator's parts, the archive the build
# packs (build/vx-1.lib), independent readers of every file, and renders of
# every scene through the engine, and the music decoded with libmpg123.
if(TARGET vx_contentgen)
  vx_test(test_content SOURCES ${CMAKE_CURRENT_LIST_DIR}/*.cpp
          DEPS vx_contentgen vx_driver vx_engine vx_raster vx_pictures vx_datalib vx_testsupport
               PkgConfig::MPG123
          LABEL process)
  # The tool tests run the vxcontent program itself; the generated files lie
  # in the show's data folder.
  add_dependencies(test_content vxcontent)
  target_compile_definitions(test_content PRIVATE VX_SHOW_DATA_DIR="${VX_SHOW_DATA_DIR}")
  if(TARGET vx_content)
    # The archive checks read the build's own vx-1.lib.
    add_dependencies(test_content vx_content)
    target_compile_definitions(test_content PRIVATE VX_CONTENT_ARCHIVE=1)
    # Every frame of these slots at 60 fps, drawn from the archive: no part of
    # the picture vanishes or flashes for one frame.
    add_test(NAME ShowScan.NoOneFrameDropouts
             COMMAND vxscan --library ${CMAKE_BINARY_DIR}/vx-1.lib --slot 2 --slot 3 --slot 7
                     --slot 8 --slot 10 --max-dropouts 0)
    set_tests_properties(ShowScan.NoOneFrameDropouts PROPERTIES LABELS process TIMEOUT 600)
    # Texture crawl in every 3D slot (kinyit to kinyit backwards): at most
    # 0.2 % of the pixels jump for one frame and come back, so textures hold
    # still at the distances they are seen from.
    add_test(NAME ShowScan.TexturesHoldStill
             COMMAND vxscan --library ${CMAKE_BINARY_DIR}/vx-1.lib --slot 2 --slot 3 --slot 4
                     --slot 5 --slot 6 --slot 7 --slot 8 --slot 9 --slot 10 --max-crawl 0.2)
    set_tests_properties(ShowScan.TexturesHoldStill PROPERTIES LABELS process TIMEOUT 600)
    # The same slots drawn at 1920x1080 by two threads: the sharp show
    # neither loses a part of the picture for a frame nor lets its textures
    # crawl (its blocks are the same share of the picture, so a sliver finer
    # than a classic pixel does not count).
    # Not in the sanitizers' build, which draws ten times slower.
    if(NOT VX_SANITIZE)
      add_test(NAME ShowScan.SharpShowHoldsStill
               COMMAND vxscan --library ${CMAKE_BINARY_DIR}/vx-1.lib --resolution 1920x1080
                       --threads 2 --slot 2 --slot 3 --slot 7 --slot 8 --slot 10
                       --max-dropouts 0 --max-crawl 0.2)
      set_tests_properties(ShowScan.SharpShowHoldsStill PROPERTIES LABELS process TIMEOUT 900)
    endif()
  else()
    target_compile_definitions(test_content PRIVATE VX_CONTENT_ARCHIVE=0)
  endif()
endif()
