# Installation as a desktop application, and its Debian package (`make package`).
# The application id names the desktop entry, the icon and the AppStream data alike; the
# window tells the desktop the same id (src/app/main.cpp).
include(GNUInstallDirs)

set(QUILLUM_APP_ID org.quillum.Quillum)
set(quillum_data ${PROJECT_SOURCE_DIR}/data)

install(TARGETS quillum quillum-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${quillum_data}/${QUILLUM_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${quillum_data}/${QUILLUM_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${quillum_data}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${quillum_data}/quillum-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The window shows its help from its resources; the same pages, readable without it.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/app/resources/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillum/help)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillum)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillum developers")
set(CPACK_PACKAGE_CONTACT "The Quillum developers <dev@quillum.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photo-cropping tool: frame, finish and save each photo with one keystroke")
set(CPACK_PACKAGE_DESCRIPTION
  "Quillum shows a photo with its crop frame beside the finished output, rendered again\n\
after every change: aspect ratios and fixed sizes, rotation, levels, sharpening,\n\
black and white or sepia, borders, a logo and captions. One keystroke saves the output\n\
as JPEG, TIFF, PNG or WebP under a numbered name and moves to the next photo.\n\
quillum-cli renders single photos or whole folders from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillum.org)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Libraries come from dpkg-shlibdeps; Qt only recommends its X11 platform plugin, without
# which the window cannot open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
include(CPack)
