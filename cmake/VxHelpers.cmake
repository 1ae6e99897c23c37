# vx_library(NAME GLOB... DEPS ...): a static library of the sources matching
# the globs, with src/ as the include root ("engine/scene.h").
function(vx_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_SOURCES})
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# vx_test_precompiled_header(NAME): GoogleTest's header, precompiled for the
# test program. Parsing it was about 1.7 s of each of the hundred test files,
# a sixth of the compile time of each build CI makes. Each program builds its
# own: GCC refuses a precompiled header built with other definitions (the
# stand-in's name, SDL's _REENTRANT), so one shared header would not fit all.
option(VX_TEST_PCH "Precompile GoogleTest's header for the test programs" ON)
function(vx_test_precompiled_header name)
  if(VX_TEST_PCH)
    target_precompile_headers(${name} PRIVATE <gtest/gtest.h>)
    # Through a precompiled header GCC 12 no longer knows that the standard
    # library's inlined string copies come from a system header, and shows
    # its known false bounds warnings on them (offsets past a string's
    # inline buffer in copies that never reach there), which it hides for
    # the same code without one. The sanitizers' run of these tests checks
    # bounds for real.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_compile_options(${name} PRIVATE -Wno-array-bounds -Wno-stringop-overflow
                                             -Wno-stringop-overread)
    endif()
  endif()
endfunction()

# vx_test_code(NAME): the test program's own files compile at -O1, with line
# tables only where the build keeps debug information. Their code asserts and
# calls; the code under test keeps its build's flags (the libraries are
# linked, not recompiled). Optimising the tests' own expansions of
# GoogleTest's macros is most of a test file's compile time and buys nothing:
# four typical test files took 42 s at -O2 -g and 22 s at -O1 -g1, and 33 s
# at the Release build's -O3. A failure still names its file and
# line; VX_TEST_QUICK_COMPILE=OFF keeps the build's flags for stepping
# through a test in a debugger.
option(VX_TEST_QUICK_COMPILE "Compile the test programs' own files at -O1" ON)
function(vx_test_code name)
  if(VX_TEST_QUICK_COMPILE AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    # The target's options follow the build type's flags, so these win.
    target_compile_options(${name} PRIVATE
      $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-O1>
      $<$<AND:$<CONFIG:RelWithDebInfo>,$<NOT:$<BOOL:${EMSCRIPTEN}>>>:-g1>)
  endif()
endfunction()

# vx_test(NAME SOURCES GLOB... DEPS ... [LABEL process]): one GoogleTest
# program of the test files matching the globs, its cases registered with
# CTest one by one under the label "unit" (everything runs inside the test
# program) or "process" (the cases run our tools or outside programs, or read
# the generated show), so that `ctest -L unit` stays a quick check.
# VX_TEST_PROPERTIES, when a build sets it, adds properties to every case
# (the Windows build's: its Wine fixture).
function(vx_test name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_SOURCES})
  add_executable(${name} ${sources})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/tools/lib)
  target_compile_definitions(${name} PRIVATE
    VX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VX_BINARY_DIR="${CMAKE_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  vx_test_precompiled_header(${name})
  vx_test_code(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 300 LABELS ${ARG_LABEL} ${VX_TEST_PROPERTIES})
endfunction()

# vx_fuzzer(NAME SOURCES file... DEPS lib...): the libFuzzer program
# BUILD/tests/NAME, an ordinary executable of its sources linked with the
# project's libraries it names. Defined only in the fuzz configuration
# (VX_FUZZ, the "fuzz" preset), where clang instruments every library for
# libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer; only the
# fuzz programs link libFuzzer's main.
option(VX_FUZZ "Define the libFuzzer programs (clang; the fuzz preset)" OFF)
if(VX_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "VX_FUZZ needs clang: cmake --preset fuzz")
endif()
function(vx_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT VX_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()

# vx_program_identity(TARGET DESCRIPTION): the program prints the project's
# version and commit with --version (the generated vx_version.h), and on
# Windows also carries the icon and the version information of Explorer's
# file properties.
function(vx_program_identity target description)
  target_link_libraries(${target} PRIVATE vx_version)
  if(NOT WIN32)
    return()
  endif()
  set(vx_program ${target})
  set(vx_description ${description})
  set(vx_icon ${PROJECT_SOURCE_DIR}/cmake/windows/vx1.ico)
  set(rc ${CMAKE_BINARY_DIR}/identity/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${vx_icon})
endfunction()
