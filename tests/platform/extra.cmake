# The platform tests make their MP3 fixtures with LAME.
find_library(VX_MP3LAME_LIBRARY mp3lame REQUIRED)
target_link_libraries(test_platform PRIVATE ${VX_MP3LAME_LIBRARY})
# They compile the picture resizer a second time with its vector paths on
# (stb_vector_paths.h), to compare with the scalar one the show uses.
target_include_directories(test_platform SYSTEM PRIVATE ${PROJECT_SOURCE_DIR}/third_party/stb)
if(VX_SANITIZE)
  # As for picture_resample.cpp (src/CMakeLists.txt): the resizer's 8-byte
  # moves at 4-byte alignment.
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/stb_default_path.cpp PROPERTIES
                              COMPILE_OPTIONS -fno-sanitize=alignment)
endif()

# The picture path's fuzz target (fuzz/fuzz_picture.cpp), set up like the
# archive reader's (see tests/datalib/extra.cmake):
# fuzz_picture itself is defined in the fuzz preset's build only; scripts/fuzz
# runs it with jpeg.dict, which gives it the markers that the uninstrumented
# libjpeg looks for.
set(picture_fuzz ${CMAKE_CURRENT_LIST_DIR}/fuzz)
set(picture_corpus ${CMAKE_BINARY_DIR}/picture_corpus)

add_executable(make_picture_corpus ${picture_fuzz}/make_corpus.cpp)
set_target_properties(make_picture_corpus PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_link_libraries(make_picture_corpus PRIVATE vx_toolkit)

add_executable(replay_picture ${PROJECT_SOURCE_DIR}/tests/loader3ds/replay/replay_main.cpp
                              ${picture_fuzz}/fuzz_picture.cpp)
set_target_properties(replay_picture PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_include_directories(replay_picture PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(replay_picture PRIVATE vx_pictures vx_datalib)

add_test(NAME picture_corpus_write COMMAND make_picture_corpus ${picture_corpus})
set_tests_properties(picture_corpus_write PROPERTIES FIXTURES_SETUP picture_corpus LABELS unit)
add_test(NAME picture_corpus_replay COMMAND replay_picture ${picture_corpus} ${picture_fuzz}/corpus)
set_tests_properties(picture_corpus_replay PROPERTIES FIXTURES_REQUIRED picture_corpus TIMEOUT 120 LABELS unit)

vx_fuzzer(fuzz_picture SOURCES ${picture_fuzz}/fuzz_picture.cpp DEPS vx_pictures vx_datalib)
