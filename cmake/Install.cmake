# What `cmake --install` puts below the prefix, in the usual places: the two
# programs; for the desktop the entry, the icons in the hicolor theme and the
# AppStream file; the man pages and the bash completion of both programs,
# which are written from the programs' own --help texts and the README when
# the programs are built (this needs python3).
include(GNUInstallDirs)
install(TARGETS tarnix-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(_programs tarnix-cli)

if(TARNIX_GUI)
  list(APPEND _programs tarnix)
  install(TARGETS tarnix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES res/tarnix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES res/icons/tarnix.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 32 48 64 128 256)
    install(FILES res/icons/tarnix-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tarnix.png)
  endforeach()

  # The software-centre entry. Its pictures are published with the sources
  # (res/screenshots/) at the version's tag; a packager may point elsewhere.
  set(TARNIX_SCREENSHOT_URL "https://raw.githubusercontent.com/tarnix/tarnix/v${PROJECT_VERSION}/res/screenshots"
      CACHE STRING "Where the AppStream file finds the pictures of res/screenshots/")
  string(REPLACE "&" "&amp;" TARNIX_HOMEPAGE_XML "${PROJECT_HOMEPAGE_URL}")
  set(TARNIX_METAINFO ${PROJECT_BINARY_DIR}/res/io.github.tarnix.Tarnix.metainfo.xml)
  configure_file(res/io.github.tarnix.Tarnix.metainfo.xml.in ${TARNIX_METAINFO} @ONLY)
  install(FILES ${TARNIX_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  set(TARNIX_DOCS_DIR ${PROJECT_BINARY_DIR}/docs)
  set(_docs)
  foreach(program IN LISTS _programs)
    set(_man ${TARNIX_DOCS_DIR}/${program}.1.gz)
    set(_completion ${TARNIX_DOCS_DIR}/${program}.bash)
    add_custom_command(
      OUTPUT ${_man} ${_completion}
      COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/gen-docs.py
              --program $<TARGET_FILE:${program}> --readme ${PROJECT_SOURCE_DIR}/README.md
              --version ${PROJECT_VERSION} --date ${TARNIX_RELEASE_DATE} --description ${PROJECT_DESCRIPTION}
              --man ${_man} --completion ${_completion}
      DEPENDS ${program} ${PROJECT_SOURCE_DIR}/scripts/gen-docs.py ${PROJECT_SOURCE_DIR}/README.md
      COMMENT "Writing the man page and the bash completion of ${program}"
      VERBATIM)
    list(APPEND _docs ${_man} ${_completion})
    install(FILES ${_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${_completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
            RENAME ${program})
  endforeach()
  add_custom_target(tarnix-docs ALL DEPENDS ${_docs})
else()
  message(STATUS "python3 was not found: no man pages or bash completion are made "
                 "(scripts/setup.sh package installs it)")
endif()
