# vx_library(NAME GLOB... DEPS ...): a static library of the sources matching
# the globs, with src/ as the include root ("engine/scene.h").
function(vx_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_SOURCES})
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# vx_test(NAME SOURCES GLOB... DEPS ... [LABEL process]): one GoogleTest
# program of the test files matching the globs, its cases registered with
# CTest one by one under the label "unit" (everything runs inside the test
# program) or "process" (the cases run our tools or outside programs, or read
# the generated show), so that `ctest -L unit` stays a quick check.
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
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 LABELS ${ARG_LABEL})
endfunction()

# vx_fuzzer(NAME SOURCES file... [INCLUDES dir...] [FLAGS flag...] [LIBS lib...]):
# the libFuzzer program build/tests/NAME, compiled by clang with AddressSanitizer
# and UndefinedBehaviorSanitizer straight from the sources (the project's own
# libraries are built by the configured compiler, which need not be clang).
# Not part of the default build: `cmake --build BUILD --target NAME`. Nothing
# is defined when clang is not installed.
function(vx_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;INCLUDES;FLAGS;LIBS" ${ARGN})
  find_program(VX_CLANGXX NAMES clang++-14 clang++)
  if(NOT VX_CLANGXX)
    return()
  endif()
  set(output ${CMAKE_BINARY_DIR}/tests/${name})
  set(includes -I${PROJECT_SOURCE_DIR}/src)
  foreach(dir ${ARG_INCLUDES})
    list(APPEND includes -I${dir})
  endforeach()
  # Headers too: a changed record layout must rebuild the fuzzer.
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*/*.h
       ${PROJECT_SOURCE_DIR}/tests/support/*.h)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${VX_CLANGXX} -std=c++20 -g -O1 -fno-omit-frame-pointer
            -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
            ${includes} ${ARG_FLAGS} ${ARG_SOURCES} ${ARG_LIBS} -o ${output}
    DEPENDS ${ARG_SOURCES} ${headers}
    COMMENT "Building the fuzzer ${name} with clang and libFuzzer"
    VERBATIM)
  add_custom_target(${name} DEPENDS ${output})
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
