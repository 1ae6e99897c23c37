# The outside libraries of the Windows build, under the same target names as
# the native build's (PkgConfig::SDL2, ...), so that src/ has one list of
# libraries for both. They are the static libraries that scripts/windows
# built into VX_DEPS_PREFIX, found through their pkg-config files.
if(NOT VX_DEPS_PREFIX)
  message(FATAL_ERROR "The Windows build needs -DVX_DEPS_PREFIX=<folder of the built libraries> "
                      "(scripts/windows sets it)")
endif()
# Only the cross-built libraries' package files count; zlib puts its own in
# share/.
set(ENV{PKG_CONFIG_LIBDIR} "${VX_DEPS_PREFIX}/lib/pkgconfig:${VX_DEPS_PREFIX}/share/pkgconfig")
unset(ENV{PKG_CONFIG_PATH})

# vx_static_package(NAME MODULE [EXTRA link items...]): the interface target
# PkgConfig::NAME with MODULE's static link line. SDL's own main() wrapper
# (-Dmain=SDL_main, SDL2main, -mwindows) is left out: the programs keep
# their standard main() and stay console programs, whose output and exit
# code reach the shell as on Linux.
function(vx_static_package name module)
  pkg_check_modules(${name} REQUIRED ${module})
  set(cflags ${${name}_STATIC_CFLAGS})
  list(FILTER cflags EXCLUDE REGEX "^-Dmain=SDL_main$")
  set(libs ${${name}_STATIC_LDFLAGS})
  list(FILTER libs EXCLUDE REGEX "^(-lSDL2main|-mwindows)$")
  add_library(PkgConfig::${name} INTERFACE IMPORTED GLOBAL)
  set_target_properties(PkgConfig::${name} PROPERTIES
    INTERFACE_COMPILE_OPTIONS "${cflags}"
    INTERFACE_LINK_LIBRARIES "${libs};${ARGN}")
endfunction()

vx_static_package(JPEG libjpeg)
vx_static_package(PNG libpng)
vx_static_package(SDL2 sdl2)
# mpg123's package file leaves out what its Unicode file names need.
vx_static_package(MPG123 libmpg123 -lshlwapi)

# The programs' icons and version information (vx_program_identity).
enable_language(RC)

# No DLL of the compiler's runtime (libstdc++, libgcc, winpthread) either.
# No link time in the file header either: the same sources link to the same
# bytes, so that a release's zip can be made again exactly.
add_link_options(-static -Wl,--no-insert-timestamp)

# Every program carries a manifest that makes UTF-8 its code page (Windows 10
# 1903 and later), so that the narrow file names of fopen, open and argv are
# UTF-8 as on Linux. Compiled once at configure time and linked into every
# executable; link options do not reach static libraries.
set(vx_manifest_rc ${PROJECT_SOURCE_DIR}/cmake/windows/utf8.rc)
set(vx_manifest_object ${CMAKE_BINARY_DIR}/utf8-manifest.o)
execute_process(
  COMMAND ${CMAKE_RC_COMPILER} -O coff -I ${PROJECT_SOURCE_DIR}/cmake/windows
          -i ${vx_manifest_rc} -o ${vx_manifest_object}
  RESULT_VARIABLE vx_manifest_result ERROR_VARIABLE vx_manifest_error)
if(NOT vx_manifest_result EQUAL 0)
  message(FATAL_ERROR "windres failed on ${vx_manifest_rc}: ${vx_manifest_error}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${vx_manifest_rc} ${PROJECT_SOURCE_DIR}/cmake/windows/utf8.manifest)
add_link_options(${vx_manifest_object})
