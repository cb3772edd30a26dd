# Installation layout and the Debian package.
include(GNUInstallDirs)

set(BESEDKA_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(BESEDKA_APPSTREAM_ID org.example.besedka)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/besedka)
install(FILES ${BESEDKA_PACKAGING}/besedka.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${BESEDKA_PACKAGING}/${BESEDKA_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${BESEDKA_PACKAGING}/icons/besedka.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${BESEDKA_PACKAGING}/icons/besedka-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME besedka.png)
endforeach()
install(FILES ${BESEDKA_PACKAGING}/completion/besedka.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME besedka)
install(FILES ${BESEDKA_PACKAGING}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/api/openapi.yaml DESTINATION ${CMAKE_INSTALL_DOCDIR})
# `systemctl --user enable --now besedka-serve`
install(FILES ${BESEDKA_PACKAGING}/besedka-serve.service DESTINATION lib/systemd/user)
if(TARGET besedka_irc)
    # `systemctl --user enable --now besedka-irc`
    install(FILES ${BESEDKA_PACKAGING}/besedka-irc.service DESTINATION lib/systemd/user)
endif()

# Debian wants the changelog and the manual page compressed at the highest
# level, without a name or time stamp inside.
set(BESEDKA_GENERATED ${PROJECT_BINARY_DIR}/packaging)
add_custom_command(
    OUTPUT ${BESEDKA_GENERATED}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${BESEDKA_GENERATED}
    COMMAND ${CMAKE_COMMAND} -E copy ${BESEDKA_PACKAGING}/changelog ${BESEDKA_GENERATED}/changelog
    COMMAND gzip -9nf ${BESEDKA_GENERATED}/changelog
    DEPENDS ${BESEDKA_PACKAGING}/changelog
    VERBATIM)
add_custom_target(changelog ALL DEPENDS ${BESEDKA_GENERATED}/changelog.gz)
install(FILES ${BESEDKA_GENERATED}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The manual page is made from the program's own --help and --version, with
# the sections they lack from besedka.h2m, so it cannot drift from the help.
# Its date is that of the newest changelog entry.
find_program(HELP2MAN help2man)
if(HELP2MAN)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${BESEDKA_PACKAGING}/changelog)
    execute_process(COMMAND dpkg-parsechangelog -l ${BESEDKA_PACKAGING}/changelog -STimestamp
                    OUTPUT_VARIABLE BESEDKA_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET)
    add_custom_command(
        OUTPUT ${BESEDKA_GENERATED}/besedka.1.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${BESEDKA_GENERATED}
        COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 SOURCE_DATE_EPOCH=${BESEDKA_RELEASE_TIME}
                ${HELP2MAN} --no-info --locale=C.UTF-8 --section=1 --manual=User\ Commands
                --include=${BESEDKA_PACKAGING}/besedka.h2m --output=${BESEDKA_GENERATED}/besedka.1
                $<TARGET_FILE:besedka>
        COMMAND gzip -9nf ${BESEDKA_GENERATED}/besedka.1
        DEPENDS besedka ${BESEDKA_PACKAGING}/besedka.h2m ${BESEDKA_PACKAGING}/changelog
        VERBATIM)
    add_custom_target(manual_page ALL DEPENDS ${BESEDKA_GENERATED}/besedka.1.gz)
    install(FILES ${BESEDKA_GENERATED}/besedka.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(STATUS "help2man not found: no manual page (bash scripts/install-deps installs it)")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME besedka)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "besedka maintainers <maintainers@besedka.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chat companion that learns as it talks")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop chat companion with a Russian-language interface. It answers from a\nknowledge base of text files and learns new phrases and answers as it talks,\nin a window or in the terminal (besedka chat).\n.\nThe knowledge window (besedka kb browse) shows the learned tree as an outline\nto search, correct and prune, with the backups to go back to. The kb commands\nteach it from texts of dialogues (kb teach), export, import and merge\nknowledge bases as JSON (kb export, kb import, kb merge), and tell which of\nits steps would answer a phrase, and why (kb why). besedka serve lets other\nprograms and people talk to it over HTTP and JSON, a dialogue per\nconversation, all learning into one knowledge base.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://besedka.example.org/)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Libraries are found by dpkg-shlibdeps; these are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-dejavu-core, fonts-liberation2")
# The window runs natively on a Wayland session without an X server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_STRIP_FILES ON)
include(CPack)
