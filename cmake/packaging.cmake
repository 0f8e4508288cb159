# Installing and packaging. Linux: the program with its menu entry, icon,
# AppStream data and manual page, packed by cpack as a Debian package.
# Windows: the one static executable and a short text, packed as a zip.
# Both take their version from project(), as the Windows version resource does.
set(CPACK_PACKAGE_NAME tavro)
set(CPACK_PACKAGE_VENDOR "Tavro developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copy a folder's files into another folder, named in date order")
# No debugging symbols in the packages; the build folders keep them.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(resources ${PROJECT_SOURCE_DIR}/res)

if(WIN32)
  # The texts with the line ends Notepad expects.
  configure_file(${resources}/windows/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS tavro RUNTIME DESTINATION .)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt DESTINATION .)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(bits 32)
  else()
    set(bits 64)
  endif()
  set(CPACK_GENERATOR ZIP)
  # Unpacked, the zip gives one folder of that name, not loose files.
  set(CPACK_PACKAGE_FILE_NAME tavro-${PROJECT_VERSION}-win${bits})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  include(GNUInstallDirs)
  install(TARGETS tavro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${resources}/linux/org.tavro.Tavro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The icon is named tavro, as the program asks for it; the PNGs are the
  # SVG's rendering (tools/render-icons.sh) for panels that want bitmaps.
  set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES ${resources}/linux/tavro.svg DESTINATION ${icons}/scalable/apps)
  foreach(size 16 24 32 48)
    install(FILES ${resources}/linux/icons/tavro-${size}.png DESTINATION ${icons}/${size}x${size}/apps
            RENAME tavro.png)
  endforeach()
  install(FILES ${resources}/linux/org.tavro.Tavro.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The manual page and the changelog go compressed, without a time stamp in
  # the gzip header, so that the same sources give the same package. The
  # package has a Debian revision, so its changelog is changelog.Debian.
  configure_file(${resources}/linux/tavro.1.in tavro.1 @ONLY)
  set(man ${CMAKE_CURRENT_BINARY_DIR}/tavro.1.gz)
  set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz)
  add_custom_command(OUTPUT ${man} ${changelog}
    COMMAND sh -c "gzip -9nc \"$0\" >\"$1\" && gzip -9nc \"$2\" >\"$3\""
            ${CMAKE_CURRENT_BINARY_DIR}/tavro.1 ${man} ${resources}/linux/changelog ${changelog}
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/tavro.1 ${resources}/linux/changelog
    VERBATIM)
  add_custom_target(tavro_documents ALL DEPENDS ${man} ${changelog})
  install(FILES ${man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # Debian keeps these under the package's name, which is lower case.
  install(FILES ${resources}/linux/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tavro)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # The changelog's newest entry gives the package's version, as in Debian:
  # the program's version, then the revision of its packaging.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${resources}/linux/changelog)
  file(STRINGS ${resources}/linux/changelog newest LIMIT_COUNT 1)
  string(REPLACE "." "\\." version_pattern ${PROJECT_VERSION})
  if(NOT newest MATCHES "^tavro \\(${version_pattern}-([0-9]+)\\) ")
    message(FATAL_ERROR "The changelog's newest entry is not tavro (${PROJECT_VERSION}-REVISION): ${newest}")
  endif()
  set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_1})
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tavro developers <tavro@example.org>")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Under the synopsis (the summary above), line by line as dpkg shows it.
  string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Tavro copies every ordinary file directly inside a source folder into a"
    "target folder and names each copy by its position in date order, the date"
    "and time of its stamp, then its own name. Listed by name, the target"
    "folder shows the files in the order in which they came into being."
    "."
    "It asks for the folders and shows its progress in GTK windows, or in the"
    "terminal where no display is available.")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

include(CPack)
