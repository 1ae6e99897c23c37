# vx_library(NAME GLOB... DEPS ...): a static library of the sources matching
# the globs, with src/ as the include root ("engine/scene.h").
function(vx_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_SOURCES})
  if(NOT sources)
    # A subsystem that has no sources yet still gives a target to link.
    set(sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# vx_test(NAME GLOB DEPS ...): one GoogleTest program of the test files
# matching the glob, its cases registered with CTest one by one.
function(vx_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_SOURCES})
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/tools/lib)
  target_compile_definitions(${name} PRIVATE
    VX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VX_BINARY_DIR="${CMAKE_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
