# Install rules and the two Debian packages: "pallido" (the client, its
# desktop entry, icons, metadata and manual page) and "pallido-server" (the
# publisher server and its systemd service). scripts/package.sh builds them.
include(GNUInstallDirs)

set(PALLIDO_MAINTAINER "The Pallido developers <dev@pallido.org>")
set(deploy ${PROJECT_SOURCE_DIR}/deploy)
set(docs ${CMAKE_BINARY_DIR}/deploy)

# Manual pages and changelogs go into the packages compressed, as Debian
# wants them (gzip -9n: no name or time stamp inside).
function(pallido_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9nc ${source} > ${output}
    DEPENDS ${source} VERBATIM)
endfunction()
set(gzipped)
foreach(package pallido pallido-server)
  set(PACKAGE ${package})
  set(VERSION ${PROJECT_VERSION})
  configure_file(${deploy}/debian/changelog.in ${docs}/${package}/changelog @ONLY)
  pallido_gzip(${docs}/${package}/changelog ${docs}/${package}/changelog.gz)
  pallido_gzip(${deploy}/man/${package}.1 ${docs}/${package}.1.gz)
  list(APPEND gzipped ${docs}/${package}/changelog.gz ${docs}/${package}.1.gz)
endforeach()
add_custom_target(pallido_docs ALL DEPENDS ${gzipped})

if(TARGET pallido)
  install(TARGETS pallido RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT client)
  install(FILES ${deploy}/desktop/${PALLIDO_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT client)
  install(FILES ${deploy}/desktop/${PALLIDO_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT client)
  install(FILES ${deploy}/icons/${PALLIDO_APP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT client)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${deploy}/icons/hicolor/${size}x${size}/apps/${PALLIDO_APP_ID}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT client)
  endforeach()
  install(FILES ${docs}/pallido.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT client)
  install(FILES ${deploy}/debian/copyright ${docs}/pallido/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pallido COMPONENT client)
endif()

if(TARGET pallido-server)
  install(TARGETS pallido-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT server)
  # Debian 12 keeps packaged units under /lib.
  install(FILES ${deploy}/systemd/pallido-server.service DESTINATION /lib/systemd/system COMPONENT server)
  install(FILES ${docs}/pallido-server.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT server)
  install(FILES ${deploy}/debian/copyright ${docs}/pallido-server/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pallido-server COMPONENT server)
  # The nginx site for replicas behind one address (README, "Several replicas").
  install(FILES ${deploy}/nginx/pallido.conf
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pallido-server/examples/nginx COMPONENT server)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pallido)
set(CPACK_PACKAGE_VENDOR "The Pallido developers")
set(CPACK_PACKAGE_CONTACT ${PALLIDO_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL client server)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${PALLIDO_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://pallido.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME pallido)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION web)
# Beyond the libraries (whose dependency list brings the browser engine's
# helper process): the fonts the pages are drawn with, the desktop's own
# programs (xdg-open, gio) and the Wayland platform plugin.
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS
  "fonts-noto-cjk, fonts-noto-color-emoji, xdg-utils, libglib2.0-bin, qt6-wayland")
set(CPACK_DEBIAN_CLIENT_DESCRIPTION "shopping guide for a marketplace's affiliate items
Pallido is a desktop shopping guide. It shows the marketplace's categories
in a tree, searches the publisher's affiliate items by keyword, category,
price, seller credit, area and consumer protection, and shows the results
in tabs, as big pictures or as a list. It lists the sellers of a result
page, pages through one seller's items and opens any item in the user's
own web browser.")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME pallido-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
  ${deploy}/debian/pallido-server/postinst ${deploy}/debian/pallido-server/prerm
  ${deploy}/debian/pallido-server/postrm)
set(CPACK_DEBIAN_SERVER_DESCRIPTION "publisher server for the Pallido shopping guide
pallido-server answers the Pallido client's signed requests (software
information, categories, item searches, link conversion, pages, pictures
and the update archive) from a catalog in an SQLite file. It runs as the
system service pallido-server.service on 127.0.0.1:8700.")

include(CPack)
cpack_add_component(client DISPLAY_NAME "Pallido client")
cpack_add_component(server DISPLAY_NAME "Pallido publisher server")
