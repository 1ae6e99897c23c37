# The version every program prints with --version: the project's (the file
# VERSION, read by project()) and the commit it was built from. The commit
# is looked up at every build, not at configure time, so that a build tree
# kept across commits never prints an old one; the header is rewritten only
# when its text changes, so an unchanged commit rebuilds nothing.
set(vx_version_header ${CMAKE_BINARY_DIR}/generated/vx_version.h)
add_custom_target(vx_version_header
  COMMAND ${CMAKE_COMMAND} -DVERSION=${PROJECT_VERSION} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
          -DOUTPUT=${vx_version_header} -P ${PROJECT_SOURCE_DIR}/cmake/version_header.cmake
  BYPRODUCTS ${vx_version_header}
  COMMENT "Version header: ${PROJECT_VERSION} and the commit"
  VERBATIM)
add_library(vx_version INTERFACE)
target_include_directories(vx_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
add_dependencies(vx_version vx_version_header)
