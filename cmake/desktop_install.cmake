# What `cmake --install` puts under the prefix, and the Debian package CPack
# builds from it. The program finds data.pod in ../share/tamori/ from bin/,
# so an installed copy works from any prefix.
include(GNUInstallDirs)

set(DESKTOP_DIR ${PROJECT_SOURCE_DIR}/assets/desktop)
set(TAMORI_APP_ID invalid.tamori.Tamori)

# The package's version is the console's own version line.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/shell/settings.h version_line REGEX "kConsoleVersion = ")
string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+" TAMORI_VERSION "${version_line}")

# Manual pages and the changelog are installed compressed, as Debian wants.
set(COMPRESSED_DOCS)
foreach(page tamori.1 tamori_run.1 changelog)
  set(output ${PROJECT_BINARY_DIR}/docs/${page}.gz)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/docs
    COMMAND gzip -9nc ${DESKTOP_DIR}/${page} > ${output}
    DEPENDS ${DESKTOP_DIR}/${page}
    COMMENT "Compressing ${page}")
  list(APPEND COMPRESSED_DOCS ${output})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${COMPRESSED_DOCS})

install(TARGETS tamori tamori_run RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/data.pod DESTINATION ${CMAKE_INSTALL_DATADIR}/tamori)
install(FILES ${DESKTOP_DIR}/${TAMORI_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${DESKTOP_DIR}/${TAMORI_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${DESKTOP_DIR}/tamori.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
foreach(size IN LISTS TAMORI_ICON_SIZES)
  install(FILES ${PROJECT_BINARY_DIR}/icons/${size}x${size}/apps/tamori.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PROJECT_BINARY_DIR}/docs/tamori.1.gz ${PROJECT_BINARY_DIR}/docs/tamori_run.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${DESKTOP_DIR}/copyright ${PROJECT_BINARY_DIR}/docs/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamori)
set(CPACK_PACKAGE_VERSION ${TAMORI_VERSION})
set(CPACK_PACKAGE_CONTACT "tamori makers <tamori@tamori.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fantasy console player")
set(CPACK_PACKAGE_DESCRIPTION
    "TAMORI plays cartridges of a small imaginary games machine with a\n128 by 128 screen of 16 colours, four channels of synthesised sound and\nbuttons for up to eight players. It opens cartridge files from the file\nmanager and comes with tamori_run, which runs a cartridge headless and\nreports whether it keeps within the console's limits.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)  # where players of other machines go
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
