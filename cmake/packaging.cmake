# Installing. Linux: the program with its menu entry, icon, AppStream data
# and manual page, where the GNU install directories say.
set(resources ${PROJECT_SOURCE_DIR}/res)

if(NOT WIN32)
  include(GNUInstallDirs)
  install(TARGETS tavro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${resources}/linux/tavro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${resources}/linux/tavro.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${resources}/linux/org.tavro.Tavro.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The manual page and the changelog go compressed, without a time stamp in
  # the gzip header, so that the same sources give the same package.
  configure_file(${resources}/linux/tavro.1.in tavro.1 @ONLY)
  set(man ${CMAKE_CURRENT_BINARY_DIR}/tavro.1.gz)
  set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${man} ${changelog}
    COMMAND sh -c "gzip -9nc \"$0\" >\"$1\" && gzip -9nc \"$2\" >\"$3\""
            ${CMAKE_CURRENT_BINARY_DIR}/tavro.1 ${man} ${resources}/linux/changelog ${changelog}
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/tavro.1 ${resources}/linux/changelog
    VERBATIM)
  add_custom_target(tavro_documents ALL DEPENDS ${man} ${changelog})
  install(FILES ${man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # Debian keeps these under the package's name, which is lower case.
  install(FILES ${resources}/linux/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tavro)
endif()
