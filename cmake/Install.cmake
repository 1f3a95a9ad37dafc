# Installs Gleanwork in the places a Linux desktop expects (binaries, desktop
# entry, icon, AppStream metainfo, man page) and packages the same files as a
# Debian package with `cpack -G DEB`.
include(GNUInstallDirs)

set(GLEANWORK_APP_ID io.github.gleanwork.Gleanwork)
set(GLEANWORK_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

install(TARGETS gleanwork-run RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${GLEANWORK_DATA_DIR}/gleanwork-run.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The desktop entry, the icon and the metainfo announce the windowed program;
# without it they would be a launcher for a missing binary.
if(TARGET gleanwork)
  set(GLEANWORK_INSTALLS_DESKTOP ON)
  install(TARGETS gleanwork RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${GLEANWORK_DATA_DIR}/gleanwork.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${GLEANWORK_DATA_DIR}/gleanwork.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${GLEANWORK_DATA_DIR}/${GLEANWORK_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
else()
  set(GLEANWORK_INSTALLS_DESKTOP OFF)
endif()

# Debian package. The dependencies come from dpkg-shlibdeps (package
# dpkg-dev), so they name the Qt 6 runtime packages the binaries link.
set(GLEANWORK_PACKAGE_CONTACT "Gleanwork developers <gleanwork@example.org>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_PACKAGE_NAME gleanwork)
set(CPACK_PACKAGE_VENDOR "Gleanwork developers")
set(CPACK_PACKAGE_CONTACT ${GLEANWORK_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "define and run agents that pull data out of web pages")
# Debian wants the long description in lines of at most 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "Gleanwork keeps a catalogue of agents: named recipes made of a source (an"
       "http:// address or a local file), a script in a line-based extraction"
       "language and an output file. Agents are edited and run in windows that"
       "show every step in a run log, or run headless with gleanwork-run.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# https:// sources are checked against the system's certificate authorities.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ca-certificates)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/\\\\.cache/")
include(CPack)

if(GLEANWORK_TESTS)
  add_test(NAME install_layout
           COMMAND ${PROJECT_SOURCE_DIR}/tests/install/check-install.sh
                   ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR} ${GLEANWORK_DATA_DIR}
                   ${GLEANWORK_APP_ID} ${PROJECT_VERSION} ${GLEANWORK_INSTALLS_DESKTOP})
  set_tests_properties(install_layout PROPERTIES TIMEOUT 120)
endif()
