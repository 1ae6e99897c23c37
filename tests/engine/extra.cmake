# The engine tests run the scene dump tool vxdump: build it before them.
if(TARGET test_engine AND TARGET vxdump)
  add_dependencies(test_engine vxdump)
endif()
