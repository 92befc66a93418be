# The program as a desktop application: menu entry, icons, AppStream metainfo and the Debian package.
# The programs and the help page install from their own folders; this file adds the desktop's files.

set(RUBRELLO_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
# The project's site is the one the Help menu opens (links/CMakeLists.txt).
set(RUBRELLO_HOMEPAGE "${RUBRELLO_AUTHOR_HOME_URL}")
# The day the version in the root CMakeLists.txt was released; the two change together.
set(RUBRELLO_RELEASE_DATE "2026-12-06")

# The windows carry the same name as the menu entry, so the desktop finds its icon for them.
target_compile_definitions(rubrello PRIVATE RUBRELLO_APP_ID="${RUBRELLO_APP_ID}")

# The screenshot lives in this folder and is published on the project's site, where the metainfo
# points; its size is read from the file so the two never disagree.
set(RUBRELLO_SCREENSHOT ${RUBRELLO_PACKAGING_DIR}/screenshots/main-window.png)
set(RUBRELLO_SCREENSHOT_URL "${RUBRELLO_HOMEPAGE}screenshots/main-window.png")
file(READ ${RUBRELLO_SCREENSHOT} png_header LIMIT 24 HEX)
string(SUBSTRING "${png_header}" 32 8 png_width)
string(SUBSTRING "${png_header}" 40 8 png_height)
math(EXPR RUBRELLO_SCREENSHOT_WIDTH "0x${png_width}")
math(EXPR RUBRELLO_SCREENSHOT_HEIGHT "0x${png_height}")

set(RUBRELLO_METAINFO ${CMAKE_BINARY_DIR}/packaging/${RUBRELLO_APP_ID}.metainfo.xml)
configure_file(${RUBRELLO_PACKAGING_DIR}/${RUBRELLO_APP_ID}.metainfo.xml.in ${RUBRELLO_METAINFO} @ONLY)
set(RUBRELLO_DESKTOP_FILE ${RUBRELLO_PACKAGING_DIR}/${RUBRELLO_APP_ID}.desktop)

# The fixed-size icons are drawn from the scalable one at build time.
set(RUBRELLO_ICON_SVG ${PROJECT_SOURCE_DIR}/resources/icons/rubrello.svg)
add_executable(rubrello-render-icon ${RUBRELLO_PACKAGING_DIR}/RenderIcon.cpp)
target_link_libraries(rubrello-render-icon PRIVATE Qt6::Gui Qt6::Svg)
set(rubrello_icon_pngs)
foreach(size 48 256)
    set(png ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}/${RUBRELLO_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}
        COMMAND rubrello-render-icon ${RUBRELLO_ICON_SVG} ${size} ${png}
        DEPENDS rubrello-render-icon ${RUBRELLO_ICON_SVG}
        COMMENT "Drawing the ${size} pixel icon")
    list(APPEND rubrello_icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(rubrello-icons ALL DEPENDS ${rubrello_icon_pngs})

install(FILES ${RUBRELLO_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${RUBRELLO_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${RUBRELLO_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${RUBRELLO_APP_ID}.svg)

# cpack -G DEB in the build directory makes rubrello_<version>_<arch>.deb.
set(CPACK_PACKAGE_NAME rubrello)
set(CPACK_PACKAGE_VENDOR "Rubrello")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Rubrello <rubrello@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "phone book for the desktop (agenda telefonica)")
set(CPACK_PACKAGE_INSTALL_DIRECTORY rubrello)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Rubrello developers <rubrello@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${RUBRELLO_HOMEPAGE})
# The libraries come from the binaries; Qt's plugins are loaded at run time, so they are named here:
# the SQLite driver holds the contacts, the translations give Qt's own buttons their Italian.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
# The long description below the summary line; CPack indents it and marks the empty line as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Rubrello keeps your contacts in an alphabetical index beside a card with
their work and home addresses, phone and fax numbers, mobile, e-mail, home
page and notes. It searches, prints cards and the whole agenda, copies
addresses, dials through a modem and imports the text file of its first
version. Its interface is in Italian.

Rubrello tiene i tuoi contatti in un indice alfabetico accanto a una scheda
con gli indirizzi di lavoro e di casa, i numeri di telefono e di fax, il
cellulare, la posta elettronica, la home page e le note. Cerca, stampa le
schede e tutta l'agenda, copia gli indirizzi, chiama con il modem e importa
il file di testo della sua prima versione.")

include(CPack)
