# `cmake --install` of this build into a fresh prefix: the programs land in
# bin/ and run from there, the show's archive (when the build makes it) in
# share/vx-1/. The prefix lies in the build folder and is removed again.
set(installed_programs $<TARGET_FILE_NAME:vx1>,$<TARGET_FILE_NAME:vxlib>,$<TARGET_FILE_NAME:vxdump>)
add_test(NAME Install.ProgramsAndArchive
         COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                 -DPREFIX=${CMAKE_BINARY_DIR}/install-test
                 -DBINDIR=${CMAKE_INSTALL_BINDIR} -DDATADIR=${VX_INSTALL_DATADIR}
                 -DPROGRAMS=${installed_programs} -DARCHIVE=$<TARGET_EXISTS:vx_content>
                 -DVERSION=${PROJECT_VERSION} -DDESKTOP_ICO=${vx_desktop_ico}
                 -P ${CMAKE_CURRENT_LIST_DIR}/install_test.cmake)
set_tests_properties(Install.ProgramsAndArchive PROPERTIES LABELS process TIMEOUT 120)
