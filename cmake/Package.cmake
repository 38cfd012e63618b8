# The Debian package, tarnix_<version>_<arch>.deb, made by CPack from an
# installed tree (scripts/package.sh): everything `cmake --install` puts
# below /usr, its copyright and changelog. The dependencies are computed by
# dpkg-shlibdeps from the programs; the recommended packages are the Qt
# plugins the window loads at run time (SVG icons of the icon theme, the
# Wayland platform). Nothing starts a desktop: tarnix-cli needs no display.
# The description's first line is the summary (the project's description).
set(TARNIX_PACKAGE_MAINTAINER "Tarnix developers <tarnix@users.noreply.github.com>"
    CACHE STRING "The Debian package's maintainer")

set(_doc ${CMAKE_INSTALL_DATADIR}/doc/tarnix)
install(FILES res/package/copyright DESTINATION ${_doc})
if(Python3_Interpreter_FOUND)
  set(_changelog ${PROJECT_BINARY_DIR}/docs/changelog.gz)
  add_custom_command(
    OUTPUT ${_changelog}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/gen-docs.py --changelog ${_changelog}
            --version ${PROJECT_VERSION} --date ${TARNIX_RELEASE_DATE} --maintainer ${TARNIX_PACKAGE_MAINTAINER}
    DEPENDS ${PROJECT_SOURCE_DIR}/scripts/gen-docs.py
    VERBATIM)
  add_custom_target(tarnix-changelog ALL DEPENDS ${_changelog})
  install(FILES ${_changelog} DESTINATION ${_doc})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnix)
set(CPACK_PACKAGE_VENDOR "Tarnix developers")
set(CPACK_PACKAGE_CONTACT ${TARNIX_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tarnix is a utility for Windows developers. It searches the PE images
(EXE, DLL, SYS, ...) of a folder tree for where a Windows API function, or
any exported, imported or delay-loaded symbol, is defined or used, and it
tells what a Windows error code means and which error codes carry a message.
It reads the Windows folders of WSL, a mounted Windows partition or Wine.
.
The package holds the desktop program tarnix (Qt 6) and tarnix-cli, which
runs the same searches without a display, for scripts and CI.")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
