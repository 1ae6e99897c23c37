# Runs of the vx1 program itself: its command line and console, and, with the
# show's archive, screenshots, capture to video and play in a real X server.
vx_test(test_driver_process SOURCES driver/process/*.cpp DEPS vx_testsupport vx_driver
        PkgConfig::PNG LABEL process)
add_dependencies(test_driver_process vx1 vxlib vxdump)
if(TARGET vx_content)
  add_dependencies(test_driver_process vx_content)
endif()
