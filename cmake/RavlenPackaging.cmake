# What `cmake --install` puts where, and the Debian package CPack makes of it. The package depends on Debian's Qt
# packages instead of carrying Qt: the linked libraries are found by dpkg-shlibdeps, the plug-ins Qt loads at
# run time (the SQLite driver, the SVG pictures) are named here.
include(GNUInstallDirs)

install(TARGETS ravlen ravlen-db RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS packaging/ravlen-start DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/items/items.csv DESTINATION ${CMAKE_INSTALL_DATADIR}/ravlen)
install(FILES packaging/ravlen.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/ravlen.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
if(RAVLEN_FONT_FAMILY STREQUAL "Vazirmatn")
    install(FILES "${RAVLEN_FONT_DIR}/pkg/package/OFL.txt" DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ravlen RENAME Vazirmatn-OFL.txt)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ravlen)
set(CPACK_PACKAGE_VENDOR "Ravlen")
set(CPACK_PACKAGE_CONTACT "Ravlen developers <ravlen@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Persian emotional-intelligence questionnaire with results and charts")
set(CPACK_PACKAGE_INSTALL_DIRECTORY ravlen)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6svg6, qt6-translations-l10n")
# The build keeps its debug information for debugging here; the package carries the executables stripped of it
# and of their symbol tables, and no debug package is made.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE OFF)
include(CPack)
