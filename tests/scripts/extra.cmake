# The folders of src/ and tools/, and the tests, benchmarks and browser glue
# beside them, form a stack of layers (scripts/check-layers lists it): the
# check runs over this checkout, and its own test shows that it fails on
# small trees with an include that runs up or sideways.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME LayerStack.IncludesRunDownTheStack
         COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/check-layers ${PROJECT_SOURCE_DIR})
add_test(NAME LayerStack.CheckFailsOnBrokenStacks
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/check_layers_test.py)
set_tests_properties(LayerStack.IncludesRunDownTheStack LayerStack.CheckFailsOnBrokenStacks
                     PROPERTIES LABELS unit TIMEOUT 60)
