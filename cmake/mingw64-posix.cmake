# Cross-compiling for 64-bit Windows with Debian's mingw-w64 compilers.
#
# The -posix compilers are named explicitly: the plain x86_64-w64-mingw32-g++
# may be the win32 thread model, which with GCC 12 has no std::thread,
# std::mutex or std::condition_variable.
#
# VX_DEPS_PREFIX, when given, is the folder the Windows libraries were
# installed into (scripts/windows builds them); headers, libraries and
# package files are looked up there and in the compiler's own folder, never
# in the build machine's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR x86_64-w64-mingw32-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB x86_64-w64-mingw32-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VX_DEPS_PREFIX} ${CMAKE_INSTALL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Configuration checks compile test programs with this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VX_DEPS_PREFIX)

# Test programs (and gtest_discover_tests) run the .exe files under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
