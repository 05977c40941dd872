# The Linux installation (the program, its menu entry, icons, metadata, manual page and
# Debian documents) and the Debian package's control data. Included by CMakeLists.txt.
set(menu_start_dir ${CMAKE_INSTALL_LIBEXECDIR}/querlan)
configure_file(linux/querlan.metainfo.xml.in querlan.metainfo.xml @ONLY)
configure_file(linux/Querlan.1.in Querlan.1 @ONLY)
configure_file(linux/changelog.in changelog @ONLY)

# Debian wants manual pages and changelogs compressed, without a time stamp (-n), so that
# the same sources give the same package.
foreach(document Querlan.1 changelog)
  add_custom_command(OUTPUT ${generated}/${document}.gz
    COMMAND gzip -9nc ${generated}/${document} > ${generated}/${document}.gz
    DEPENDS ${generated}/${document} VERBATIM)
endforeach()
add_custom_target(querlan_documents ALL DEPENDS ${generated}/Querlan.1.gz ${generated}/changelog.gz)

# The menu entry and its start script name the installed files by their full paths, made
# when installing: the prefix is then the one they land under (/usr in the package).
install(CODE "
  set(QUERLAN_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/Querlan\")
  set(QUERLAN_MENU_START \"\${CMAKE_INSTALL_PREFIX}/${menu_start_dir}/start-from-menu\")
  configure_file(${packaging}/linux/start-from-menu.in ${generated}/installed/start-from-menu @ONLY)
  configure_file(${packaging}/linux/querlan.desktop.in ${generated}/installed/querlan.desktop @ONLY)
")
install(TARGETS Querlan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${generated}/installed/start-from-menu DESTINATION ${menu_start_dir})
install(FILES ${generated}/installed/querlan.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${generated}/querlan.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${generated}/Querlan.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${generated}/changelog.gz linux/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/querlan)
set(icons ${PROJECT_SOURCE_DIR}/src/icon)
set(hicolor ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${icons}/querlan.svg DESTINATION ${hicolor}/scalable/apps)
install(FILES ${icons}/querlan.png DESTINATION ${hicolor}/64x64/apps)
foreach(size 16 32 48 128 256)
  install(FILES ${icons}/hicolor/${size}.png DESTINATION ${hicolor}/${size}x${size}/apps
          RENAME querlan.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Querlan developers <querlan@example.org>"
    CACHE STRING "The Debian package's maintainer")
# The libraries from the program itself (dpkg-shlibdeps); the fonts its windows ask for by
# their Windows names (Arial, MS Sans Serif) come as Liberation Sans.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
# The long description below the summary (CPACK_PACKAGE_DESCRIPTION_SUMMARY).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Querlan sends the request byte A (0x41) to a measuring device on a serial
(RS232) port at the press of a button, collects every byte that arrives during
the recording time and saves them to a text file, one decimal value per line.
Its user interface is German.")
