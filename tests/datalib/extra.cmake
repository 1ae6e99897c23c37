# The archive reader's fuzz target (fuzz/fuzz_datalib.cpp):
#  - make_datalib_corpus writes seed archives with the builder into the build
#    folder, and replay_datalib runs every file of them and of the corpus kept
#    in fuzz/corpus/ through the target as an ordinary test, so the sanitizer
#    build checks them too;
#  - fuzz_datalib is the libFuzzer program, defined in the fuzz preset's
#    build only (scripts/fuzz builds and runs it).
set(datalib_fuzz ${CMAKE_CURRENT_LIST_DIR}/fuzz)
set(datalib_corpus ${CMAKE_BINARY_DIR}/datalib_corpus)

add_executable(make_datalib_corpus ${datalib_fuzz}/make_corpus.cpp)
set_target_properties(make_datalib_corpus PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_link_libraries(make_datalib_corpus PRIVATE vx_datalib)

add_executable(replay_datalib ${PROJECT_SOURCE_DIR}/tests/loader3ds/replay/replay_main.cpp
                              ${datalib_fuzz}/fuzz_datalib.cpp)
set_target_properties(replay_datalib PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_include_directories(replay_datalib PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(replay_datalib PRIVATE vx_datalib)

add_test(NAME datalib_corpus_write COMMAND make_datalib_corpus ${datalib_corpus})
set_tests_properties(datalib_corpus_write PROPERTIES FIXTURES_SETUP datalib_corpus LABELS unit)
add_test(NAME datalib_corpus_replay COMMAND replay_datalib ${datalib_corpus} ${datalib_fuzz}/corpus)
set_tests_properties(datalib_corpus_replay PROPERTIES FIXTURES_REQUIRED datalib_corpus TIMEOUT 120 LABELS unit)

vx_fuzzer(fuzz_datalib SOURCES ${datalib_fuzz}/fuzz_datalib.cpp DEPS vx_datalib)
