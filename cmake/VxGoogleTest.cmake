# GoogleTest 1.12.1 for every build, said here once. Natively Debian's
# libgtest-dev, and for Windows the vendored release that the deps build
# installs into VX_DEPS_PREFIX (the toolchain file looks for packages only
# there and in the compiler's own folder): both found as a package. The
# browser build compiles Debian's sources of the same release itself,
# without threads (Node runs one). Every test links GTest::gtest and
# GTest::gtest_main.
if(EMSCRIPTEN)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  # Its own project names the targets GTest::gtest and GTest::gtest_main too.
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
