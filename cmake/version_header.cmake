# cmake -DVERSION=X.Y.Z -DSOURCE_DIR=... -DOUTPUT=.../vx_version.h -P version_header.cmake
# Writes the version header (see VxVersion.cmake). The commit is "unknown"
# outside a git checkout (a source archive), and gets "+changes" when
# tracked files differ from it, so that such a build is never taken for the
# commit's own.
set(commit unknown)
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --short=12 HEAD
                  OUTPUT_VARIABLE head RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET)
  if(NOT failed)
    set(commit ${head})
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} diff --quiet HEAD --
                    RESULT_VARIABLE changed ERROR_QUIET)
    if(changed)
      string(APPEND commit "+changes")
    endif()
  endif()
endif()
set(VX_VERSION ${VERSION})
set(VX_COMMIT ${commit})
configure_file(${CMAKE_CURRENT_LIST_DIR}/vx_version.h.in ${OUTPUT} @ONLY)
