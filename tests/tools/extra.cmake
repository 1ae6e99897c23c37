# vxscan: its detector fed frames with planted faults (test_vxscan, unit),
# and the program's command line and archive errors (tools/vxscan_test.cpp,
# part of test_tools).
vx_test(test_vxscan SOURCES tools/vxscan/*.cpp DEPS vxscan_detect)
add_dependencies(test_tools vxscan)
