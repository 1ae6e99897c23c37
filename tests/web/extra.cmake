# picture_digests lists the SHA-256 of every picture of a data library as the
# show's loader decodes it. The browser build compiles the same program
# (web/CMakeLists.txt); scripts/web-check compares the two listings of the
# show's archive.
add_executable(picture_digests ${CMAKE_CURRENT_LIST_DIR}/picture_digests.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/sha256.cpp)
set_target_properties(picture_digests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_link_libraries(picture_digests PRIVATE vx_pictures vx_datalib vx_console)

vx_test(test_web SOURCES web/*_test.cpp web/sha256.cpp
        DEPS vx_pictures vx_toolkit vx_testsupport LABEL process)
target_include_directories(test_web PRIVATE ${CMAKE_CURRENT_LIST_DIR})
add_dependencies(test_web picture_digests)
