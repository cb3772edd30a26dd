# Installation layout and the Debian package.
include(GNUInstallDirs)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/besedka)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/besedka.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/besedka.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/besedka-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME besedka.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME besedka)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "besedka developers <besedka@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Chat companion that learns as it talks")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop chat companion with a Russian-language interface. It answers from a\n knowledge base of text files and learns new phrases and answers as it talks.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Libraries are found by dpkg-shlibdeps; these are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-dejavu-core, fonts-liberation2")
set(CPACK_STRIP_FILES ON)
include(CPack)
