# Installs BUILD_DIR into PREFIX and checks the result: every program of
# PROGRAMS (comma-separated) in PREFIX/BINDIR prints VERSION with --version,
# run from a folder without the archive; with ARCHIVE true, PREFIX/DATADIR
# holds the build's vx-1.lib byte for byte and the installed vx1 (the first
# of PROGRAMS) draws a frame from it. PREFIX is made afresh and removed
# afterwards whatever the outcome; every failure is listed before the test
# fails.
file(REMOVE_RECURSE ${PREFIX})
set(errors)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  list(APPEND errors "cmake --install failed (${result}):\n${output}")
endif()

string(REPLACE "," ";" programs "${PROGRAMS}")
foreach(program ${programs})
  set(path ${PREFIX}/${BINDIR}/${program})
  if(NOT EXISTS ${path})
    list(APPEND errors "${BINDIR}/${program} was not installed")
    continue()
  endif()
  execute_process(COMMAND ${path} --version WORKING_DIRECTORY ${PREFIX}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  string(FIND "${output}" "${VERSION}" at)
  if(NOT result EQUAL 0 OR at EQUAL -1)
    list(APPEND errors
         "installed ${program} --version: exit ${result}, expected ${VERSION} in: ${output}")
  endif()
endforeach()

set(archive ${PREFIX}/${DATADIR}/vx-1.lib)
if(ARCHIVE)
  if(NOT EXISTS ${archive})
    list(APPEND errors "${DATADIR}/vx-1.lib was not installed")
  else()
    file(SHA256 ${archive} installed)
    file(SHA256 ${BUILD_DIR}/vx-1.lib built)
    if(NOT installed STREQUAL built)
      list(APPEND errors "${DATADIR}/vx-1.lib differs from the build's vx-1.lib")
    endif()
    # The sharp show's archive lies beside it, as the build packed it.
    set(sharp ${PREFIX}/${DATADIR}/vx-1-sharp.lib)
    if(NOT EXISTS ${sharp})
      list(APPEND errors "${DATADIR}/vx-1-sharp.lib was not installed")
    else()
      file(SHA256 ${sharp} installed)
      file(SHA256 ${BUILD_DIR}/vx-1-sharp.lib built)
      if(NOT installed STREQUAL built)
        list(APPEND errors "${DATADIR}/vx-1-sharp.lib differs from the build's vx-1-sharp.lib")
      endif()
    endif()
    # Started from another folder, the installed vx1 finds its archive in
    # the data folder by itself.
    list(GET programs 0 vx1)
    execute_process(COMMAND ${PREFIX}/${BINDIR}/${vx1} --screenshot 60 ${PREFIX}/frame.png
                    WORKING_DIRECTORY ${PREFIX}
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0 OR NOT EXISTS ${PREFIX}/frame.png)
      string(REGEX REPLACE ".*\n(.*\n.*)$" "\\1" output "${output}")
      list(APPEND errors
           "installed ${vx1} drew no frame from ${DATADIR}/vx-1.lib (exit ${result}): ${output}")
    endif()
  endif()
elseif(EXISTS ${archive})
  list(APPEND errors "${DATADIR}/vx-1.lib was installed by a build that makes none")
endif()

file(REMOVE_RECURSE ${PREFIX})
if(errors)
  list(JOIN errors "\n" errors)
  message(FATAL_ERROR "${errors}")
endif()
