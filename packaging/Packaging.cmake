# The Debian package of both programs: scripts/package builds it with cpack -G DEB from a
# Release build. The programs, the desktop entry and the icon are installed by src/app.
include(GNUInstallDirs)

set(MORVANE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/morvane-editor)
set(MORVANE_MAINTAINER "Morvane Level Editor maintainers <maintainers@users.noreply.c-seed-08bec318.example>")

# Debian keeps a package's changelog and manual pages compressed with gzip -9, without a name or time stamp in
# the header, so that the same text always gives the same bytes.
set(MORVANE_RELEASE_DATE "Sun, 06 Dec 2026 00:00:00 +0000")
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
find_program(MORVANE_GZIP gzip REQUIRED)
execute_process(COMMAND ${MORVANE_GZIP} -9nc ${CMAKE_BINARY_DIR}/packaging/changelog
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/changelog.gz COMMAND_ERROR_IS_FATAL ANY)

foreach(page morvane-editor.1 morvane-levels.1)
    execute_process(COMMAND ${MORVANE_GZIP} -9nc ${CMAKE_CURRENT_LIST_DIR}/${page}
                    OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/${page}.gz COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_CURRENT_LIST_DIR}/copyright
              ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${MORVANE_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvane-editor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${MORVANE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${MORVANE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "level editor for the Game Gear puzzle game Morvane")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Opens a cartridge dump, an extracted 16 KB level bank, a MEKA savestate\n"
    "or a bare 224-byte map, shows one of the 99 levels as a grid of tile\n"
    "pictures, lets the user paint cells with three mouse-button brushes and\n"
    "saves the level back into the bank in place. Saving never writes outside\n"
    "the bank and refuses an edit that would not fit. morvane-levels does the\n"
    "same from the command line: info, dump, set, repack and picture export.")
# An editor of game data, not a game: section games would want the programs in /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library dependencies come from dpkg-shlibdeps, which reads them off the programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# <name>_<version>_<arch>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
