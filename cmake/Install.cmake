# Installation as a desktop application: `cmake --install build --prefix P`, `make install`.
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

