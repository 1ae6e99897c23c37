# Installs BUILD_DIR into PREFIX and checks the result: every program of
# PROGRAMS (comma-separated) in PREFIX/BINDIR prints VERSION with --version,
# run from a folder without the archive; with ARCHIVE true, PREFIX/DATADIR
# holds the build's vx-1.lib byte for byte and the installed vx1 (the first
# of PROGRAMS) draws a frame from it. PREFIX is made afresh and removed
# afterwards whatever the outcome; every failure is listed before the test
# fails.
cmake_policy(VERSION 3.25)
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

# With DESKTOP_ICO (a Linux build), the desktop entry starts the installed
# vx1 by name and shows the installed icon, which is the 256-pixel PNG
# picture of the Windows icon DESKTOP_ICO, byte for byte.
if(DESKTOP_ICO)
  set(entry ${PREFIX}/share/applications/vx1.desktop)
  set(icon ${PREFIX}/share/icons/hicolor/256x256/apps/vx1.png)
  if(NOT EXISTS ${entry} OR NOT EXISTS ${icon})
    list(APPEND errors "no share/applications/vx1.desktop or no 256x256/apps/vx1.png")
  else()
    file(STRINGS ${entry} lines)
    foreach(want "Exec=vx1" "Icon=vx1" "Type=Application")
      if(NOT want IN_LIST lines)
        list(APPEND errors "vx1.desktop has no line ${want}")
      endif()
    endforeach()
    # ICONDIR (6 bytes), then one 16-byte entry a picture: width (0 for
    # 256), ..., bytes in the picture at 8 and its offset at 12, little-endian.
    file(READ ${DESKTOP_ICO} header LIMIT 6 HEX)
    string(SUBSTRING "${header}" 8 4 count)
    string(REGEX REPLACE "^(..)(..)$" "0x\\2\\1" count "${count}")
    math(EXPR count "${count}")
    math(EXPR header_bytes "6 + 16 * ${count}")
    file(READ ${DESKTOP_ICO} header LIMIT ${header_bytes} HEX)
    set(found FALSE)
    foreach(i RANGE 1 ${count})
      math(EXPR at "2 * (6 + 16 * (${i} - 1))")
      string(SUBSTRING "${header}" ${at} 2 width)
      math(EXPR at_size "${at} + 16")
      math(EXPR at_offset "${at} + 24")
      string(SUBSTRING "${header}" ${at_size} 8 size)
      string(SUBSTRING "${header}" ${at_offset} 8 offset)
      if(width STREQUAL "00")
        foreach(field size offset)
          string(REGEX REPLACE "^(..)(..)(..)(..)$" "0x\\4\\3\\2\\1" ${field} "${${field}}")
          math(EXPR ${field} "${${field}}")
        endforeach()
        file(READ ${DESKTOP_ICO} picture OFFSET ${offset} LIMIT ${size} HEX)
        file(READ ${icon} installed HEX)
        if(NOT picture STREQUAL installed)
          list(APPEND errors "vx1.png is not the 256-pixel picture of ${DESKTOP_ICO}")
        endif()
        set(found TRUE)
      endif()
    endforeach()
    if(NOT found)
      list(APPEND errors "${DESKTOP_ICO} holds no 256-pixel picture")
    endif()
  endif()
endif()

file(REMOVE_RECURSE ${PREFIX})
if(errors)
  list(JOIN errors "\n" errors)
  message(FATAL_ERROR "${errors}")
endif()
