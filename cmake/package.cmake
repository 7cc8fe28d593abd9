# Installing and packaging. `cmake --install` lays out the Linux tool:
# bin/rozbal, the stubs in share/rozbal/ (where rozbal pack looks for them,
# relative to its own directory) and the man page. CPack makes from the same
# rules a Debian package (component linux) and a Windows .zip (component
# windows: rozbal.exe, the stubs and the READMEs in one folder).
include(GNUInstallDirs)

install(TARGETS rozbal RUNTIME DESTINATION bin COMPONENT linux)
configure_file(tools/rozbal/rozbal.1.in rozbal.1 @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/rozbal.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT linux)
if(ROZBAL_WINDOWS)
  # FindStub in tools/rozbal/pack.cpp looks for ../share/rozbal/ from bin/.
  install(FILES ${ROZBAL_STUB_i686} ${ROZBAL_STUB_x86_64} DESTINATION share/rozbal COMPONENT linux)
  install(FILES ${ROZBAL_STUB_i686} ${ROZBAL_STUB_x86_64} DESTINATION . COMPONENT windows EXCLUDE_FROM_ALL)
endif()
# The Windows build of the builder, where this tree makes one.
if(ROZBAL_EXE)
  install(PROGRAMS ${ROZBAL_EXE} DESTINATION . COMPONENT windows EXCLUDE_FROM_ALL)
else()
  message(STATUS "no rozbal.exe in this build: the Windows .zip holds the stubs and the README only")
endif()
install(FILES README.md DESTINATION . COMPONENT windows EXCLUDE_FROM_ALL)
install(FILES tools/rozbal/README.md DESTINATION . COMPONENT windows EXCLUDE_FROM_ALL RENAME README-rozbal.md)

set(CPACK_PACKAGE_NAME rozbal)
set(CPACK_PACKAGE_VENDOR rozbal)
set(CPACK_PACKAGE_CONTACT "rozbal <rozbal@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "builder of self-extracting Windows installers with a Czech interface")
set(CPACK_PACKAGE_DESCRIPTION "rozbal packs a directory tree into a self-extracting installer for Windows
(a small 32-bit stub with a Czech interface), and lists, verifies and
extracts such installers with the stub's own code.")
set(CPACK_RESOURCE_FILE_README ${CMAKE_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_GENERATOR DEB ZIP)
# Each generator takes its own component (cmake/package-generator.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/package-generator.cmake)
include(CPack)
