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

# The manual pages are made at build time by help2man from the programs' own --help and
# --version, so that they list every command and option the programs take. morvane-levels'
# page also holds every command's --help, from an include file that command_pages.cmake
# writes by running the program; it checks that the package description names every command.
find_program(MORVANE_HELP2MAN help2man REQUIRED)
execute_process(COMMAND date -u -d "${MORVANE_RELEASE_DATE}" +%s OUTPUT_VARIABLE MORVANE_RELEASE_EPOCH
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(MORVANE_NAME_morvane-editor "edit the levels of the Game Gear puzzle game Morvane")
set(MORVANE_NAME_morvane-levels
    "read and write the levels of Morvane sources from the command line")
set(MORVANE_PAGES_morvane-editor ${CMAKE_CURRENT_LIST_DIR}/morvane-editor.h2m)
set(MORVANE_PAGES_morvane-levels ${CMAKE_CURRENT_LIST_DIR}/morvane-levels.h2m
    ${CMAKE_BINARY_DIR}/packaging/morvane-levels-commands.h2m)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/packaging/morvane-levels-commands.h2m
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:morvane-levels>
            -DDESCRIPTION=${CMAKE_BINARY_DIR}/packaging/description.txt
            -DOUTPUT=${CMAKE_BINARY_DIR}/packaging/morvane-levels-commands.h2m
            -P ${CMAKE_CURRENT_LIST_DIR}/command_pages.cmake
    DEPENDS morvane-levels ${CMAKE_CURRENT_LIST_DIR}/command_pages.cmake
            ${CMAKE_BINARY_DIR}/packaging/description.txt
    VERBATIM)
set(MORVANE_PAGES)
foreach(program morvane-editor morvane-levels)
    set(page ${CMAKE_BINARY_DIR}/packaging/${program}.1)
    set(includes)
    foreach(include ${MORVANE_PAGES_${program}})
        list(APPEND includes --include=${include})
    endforeach()
    # SOURCE_DATE_EPOCH dates the page by the release, not by the build.
    add_custom_command(
        OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${MORVANE_RELEASE_EPOCH}
                ${MORVANE_HELP2MAN} --no-info --section=1 "--name=${MORVANE_NAME_${program}}"
                ${includes} --output=${page} $<TARGET_FILE:${program}>
        COMMAND ${MORVANE_GZIP} -9nf ${page}
        DEPENDS ${program} ${MORVANE_PAGES_${program}}
        VERBATIM)
    list(APPEND MORVANE_PAGES ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(manual-pages ALL DEPENDS ${MORVANE_PAGES})

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
    "the bank and refuses an edit that would not fit, and keeps the bank as it\n"
    "was as a restore point. morvane-levels does the same from the command\n"
    "line with the commands info, dump, set, repack, export (level pictures\n"
    "and Tiled maps), history and restore (restore points), copy, swap and\n"
    "replace (levels and tiles), patch (IPS and BPS patches), diff, and\n"
    "unpack and pack (project folders of level files).")
# Read back by command_pages.cmake, which fails the build when a command is not named here;
# written only when it changes, so that the pages are not remade on every configure.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packaging/description.txt CONTENT "${CPACK_PACKAGE_DESCRIPTION}" @ONLY)
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
