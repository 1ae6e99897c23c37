# Further programs of the 3DS loader's tests:
#  - test_loader3ds_assimp: the cross-check against assimp (when pkg-config
#    finds it);
#  - make_loader3ds_corpus and replay_loader3ds: the fuzz target's seed corpus
#    is written into the build folder and every file of it (and of
#    tests/loader3ds/corpus/, when present) is replayed through the fuzz
#    target as an ordinary test, so the sanitizer build checks them;
#  - fuzz_loader3ds: the libFuzzer program, defined in the fuzz preset's
#    build only (scripts/fuzz builds and runs it).
set(loader3ds_tests ${CMAKE_CURRENT_LIST_DIR})
set(loader3ds_corpus ${CMAKE_BINARY_DIR}/loader3ds_corpus)

pkg_check_modules(ASSIMP IMPORTED_TARGET assimp)
if(ASSIMP_FOUND)
  add_executable(test_loader3ds_assimp ${loader3ds_tests}/crosscheck/assimp_test.cpp)
  set_target_properties(test_loader3ds_assimp PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_include_directories(test_loader3ds_assimp PRIVATE
    ${PROJECT_SOURCE_DIR}/tests ${loader3ds_tests} ${PROJECT_SOURCE_DIR}/tools/lib)
  target_link_libraries(test_loader3ds_assimp PRIVATE
    vx_loader3ds vx_toolkit PkgConfig::ASSIMP GTest::gtest GTest::gtest_main)
  vx_test_code(test_loader3ds_assimp)
  gtest_discover_tests(test_loader3ds_assimp DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 LABELS unit)
else()
  message(WARNING "assimp not found: the 3DS cross-check test is not built")
endif()

add_executable(make_loader3ds_corpus ${loader3ds_tests}/replay/make_corpus.cpp)
set_target_properties(make_loader3ds_corpus PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_link_libraries(make_loader3ds_corpus PRIVATE vx_toolkit)

add_executable(replay_loader3ds ${loader3ds_tests}/replay/replay_main.cpp
                                ${loader3ds_tests}/fuzz_loader3ds.cpp)
set_target_properties(replay_loader3ds PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_link_libraries(replay_loader3ds PRIVATE vx_loader3ds)

add_test(NAME loader3ds_corpus_write COMMAND make_loader3ds_corpus ${loader3ds_corpus})
set_tests_properties(loader3ds_corpus_write PROPERTIES FIXTURES_SETUP loader3ds_corpus LABELS unit)
set(loader3ds_replay_paths ${loader3ds_corpus})
if(EXISTS ${loader3ds_tests}/corpus)
  list(APPEND loader3ds_replay_paths ${loader3ds_tests}/corpus)
endif()
add_test(NAME loader3ds_corpus_replay COMMAND replay_loader3ds ${loader3ds_replay_paths})
set_tests_properties(loader3ds_corpus_replay PROPERTIES FIXTURES_REQUIRED loader3ds_corpus TIMEOUT 120 LABELS unit)

vx_fuzzer(fuzz_loader3ds SOURCES ${loader3ds_tests}/fuzz_loader3ds.cpp DEPS vx_loader3ds)
