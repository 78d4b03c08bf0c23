# The Debian package (scripts/package.sh): both programs, the wizard's menu entry and icon,
# manual pages, changelog and copyright, and the CPack settings that make
# road-import_<version>_amd64.deb with its dependencies computed from the binaries.

set(ROAD_IMPORT_MAINTAINER "Road import team <road-import@example.org>"
    CACHE STRING "Maintainer of the Debian package: name <address>")

# Dates come from SOURCE_DATE_EPOCH when it is set, so a package can be made again bit for bit.
string(TIMESTAMP ROAD_IMPORT_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP ROAD_IMPORT_RELEASE_YEAR "%Y" UTC)
string(TIMESTAMP ROAD_IMPORT_RELEASE_STAMP "%a, %d %b %Y %H:%M:%S +0000" UTC)

set(ROAD_IMPORT_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ROAD_IMPORT_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(ROAD_IMPORT_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/road-import)

# Manual pages and the changelog are installed compressed, as Debian keeps them; -n leaves
# the time out of the gzip header.
set(ROAD_IMPORT_COMPRESSED)
foreach(source IN ITEMS man/road-import.1 man/road-import-wizard.1 changelog)
  get_filename_component(name ${source} NAME)
  configure_file(${ROAD_IMPORT_PACKAGING_DIR}/${source}.in ${ROAD_IMPORT_PACKAGING_OUT}/${name} @ONLY)
  add_custom_command(OUTPUT ${ROAD_IMPORT_PACKAGING_OUT}/${name}.gz
                     COMMAND gzip -9nf -k ${ROAD_IMPORT_PACKAGING_OUT}/${name}
                     DEPENDS ${ROAD_IMPORT_PACKAGING_OUT}/${name}
                     COMMENT "Compressing ${name}")
  list(APPEND ROAD_IMPORT_COMPRESSED ${ROAD_IMPORT_PACKAGING_OUT}/${name}.gz)
endforeach()
add_custom_target(packaging-files ALL DEPENDS ${ROAD_IMPORT_COMPRESSED})
configure_file(${ROAD_IMPORT_PACKAGING_DIR}/copyright.in ${ROAD_IMPORT_PACKAGING_OUT}/copyright @ONLY)

install(FILES ${ROAD_IMPORT_PACKAGING_OUT}/road-import.1.gz ${ROAD_IMPORT_PACKAGING_OUT}/road-import-wizard.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ROAD_IMPORT_PACKAGING_OUT}/changelog.gz ${ROAD_IMPORT_PACKAGING_OUT}/copyright
        DESTINATION ${ROAD_IMPORT_DOC_DIR})
install(FILES ${ROAD_IMPORT_PACKAGING_DIR}/road-import-wizard.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ROAD_IMPORT_PACKAGING_DIR}/road-import-wizard.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME road-import)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ROAD_IMPORT_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "import wizard for road-inventory databases")
# The synopsis comes from the summary; this is the extended description alone.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Copies chosen road titles with every row that depends on them from a
source database to a destination database of the same road-inventory
schema (OrvaneInfo/Road), giving each row the destination's own key and
reusing the dictionary rows the destination already holds, all in one
destination transaction. Microsoft SQL Server (ODBC, FreeTDS), PostgreSQL
and SQLite databases are supported.
.
road-import-wizard is the window an operator uses; road-import runs the
same import from scripts.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no library dependency names them: the Qt SQL drivers of the three
# backends, the SQL Server ODBC driver, Qt's window-system plugins, the SVG icon engine
# and Qt's own translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-psql, libqt6sql6-odbc, tdsodbc, qt6-qpa-plugins, libqt6svg6, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
