# Run by CPack once the files are staged: every file and folder of the
# package dated at SOURCE_DATE_EPOCH (the commit's time, from
# scripts/release), instead of whenever the build made it.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND find ${CPACK_TEMPORARY_INSTALL_DIRECTORY} -exec touch -h -d
                          @$ENV{SOURCE_DATE_EPOCH} {} +
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not date the staged files")
  endif()
endif()
