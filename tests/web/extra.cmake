# Listings of the SHA-256 of what the show decodes and draws from a data
# library: picture_digests (every picture, as the loader decodes it) and
# frame_digests (frames of every scene). The browser build compiles the same
# programs (web/CMakeLists.txt); scripts/web-check compares the native and the
# WebAssembly listings of the show's archive.
foreach(tool picture_digests frame_digests)
  add_executable(${tool} ${CMAKE_CURRENT_LIST_DIR}/${tool}.cpp ${CMAKE_CURRENT_LIST_DIR}/sha256.cpp)
  set_target_properties(${tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endforeach()
target_link_libraries(picture_digests PRIVATE vx_pictures vx_datalib vx_base)
target_link_libraries(frame_digests PRIVATE vx_scenes vx_datalib vx_base)

vx_test(test_web SOURCES web/*_test.cpp web/sha256.cpp
        DEPS vx_pictures vx_toolkit vx_testsupport LABEL process)
target_include_directories(test_web PRIVATE ${CMAKE_CURRENT_LIST_DIR})
add_dependencies(test_web picture_digests frame_digests)

# The browser check (scripts/web-test) hashes vx1's PNG screenshots as frame
# buffers; its PNG reader is checked here on its own, every row filter.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME PngFrame.ReadsScreenshotsAsFrameBuffers
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/png_frame_test.py)
set_tests_properties(PngFrame.ReadsScreenshotsAsFrameBuffers PROPERTIES LABELS unit TIMEOUT 60)
