# Packs the generated files: runs "vxlib build NAME.txt ../NAME.lib" inside
# CONTENT_DIR for the classic archive vx-1 and the sharp show's vx-1-sharp,
# keeping the builder's step-by-step lines in NAME.log and showing them only
# when the build fails.
foreach(name vx-1 vx-1-sharp)
  execute_process(
    COMMAND ${VXLIB} build ${name}.txt ../${name}.lib
    WORKING_DIRECTORY ${CONTENT_DIR}
    OUTPUT_FILE ${CONTENT_DIR}/${name}.log
    ERROR_FILE ${CONTENT_DIR}/${name}.log
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    file(READ ${CONTENT_DIR}/${name}.log log)
    message(FATAL_ERROR "vxlib build of ${name}.lib failed (${result}):\n${log}")
  endif()
endforeach()
