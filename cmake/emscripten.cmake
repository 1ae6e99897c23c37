# Compiling for the browser with Debian's emscripten (the "web" preset): what
# `emcmake cmake` would set up, without its default emulator.
#
# emcmake names node with --experimental-wasm-threads as the emulator, which
# Node 20 refuses, so every configuration check that runs a test program
# (emscripten's check_type_size among them) "returns" 9. Node 18 or later
# also has a fetch() that emscripten's loader would use to read the .wasm by
# file path, which fails. The emulator here is node without that fetch.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(VX_NODE NAMES node nodejs REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${VX_NODE};--no-experimental-fetch" CACHE STRING
      "Runs the WebAssembly test programs under Node")
endif()

include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
