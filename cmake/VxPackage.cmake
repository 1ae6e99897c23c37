# The Debian package of the install rules, made by CPack from the native
# build:
#   cpack --config BUILD/CPackConfig.cmake -D CPACK_DEBIAN_PACKAGE_DEPENDS="..."
# gives vx1_VERSION_amd64.deb: vx1, vxlib and vxdump in /usr/bin, the show's
# archives in /usr/share/vx-1 (where vx1 looks, ../share/vx-1 from its own
# folder), and a desktop entry with the icon, so that the desktop's menu
# starts the show. scripts/release makes it, with the Depends the programs'
# libraries give (the list the tarball's README names), and with every file
# dated at the commit, so that one commit gives the same package.

# The desktop entry and its icon: the 256-pixel picture of the Windows
# icon, as a PNG file of its own (the install test keeps the two the same).
set(vx_desktop_ico ${PROJECT_SOURCE_DIR}/cmake/windows/vx1.ico)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/linux/vx1.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/linux/vx1.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vx1)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "real-time demo: two minutes of software-rendered 3D to its own music")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "VX-1 plays a fixed two-minute show of texture-mapped, keyframe-animated 3D scenes "
  "and full-screen pictures, finished with radial blur, glow and fades, drawn by the CPU "
  "at 320 x 200 pixels (or sharp at any size) in step with its music. vxlib and vxdump "
  "inspect its archive and scene files.")
set(CPACK_PACKAGE_CONTACT "VX-1 maintainers <maintainers@users.noreply.c-seed-de32ab3d.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
# Dates every staged file at SOURCE_DATE_EPOCH before the package is made.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/linux/package_times.cmake)
include(CPack)
