# The datalib tests run the vxlib tool, so it must be built first.
if(TARGET test_datalib AND TARGET vxlib)
  add_dependencies(test_datalib vxlib)
endif()
