# Packs the generated files: runs "vxlib build vx-1.txt ../vx-1.lib" inside
# CONTENT_DIR, keeping the builder's step-by-step lines in vxlib.log and
# showing them only when the build fails.
execute_process(
  COMMAND ${VXLIB} build vx-1.txt ../vx-1.lib
  WORKING_DIRECTORY ${CONTENT_DIR}
  OUTPUT_FILE ${CONTENT_DIR}/vxlib.log
  ERROR_FILE ${CONTENT_DIR}/vxlib.log
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(READ ${CONTENT_DIR}/vxlib.log log)
  message(FATAL_ERROR "vxlib build failed (${result}):\n${log}")
endif()
