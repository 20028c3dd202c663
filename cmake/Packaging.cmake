# Desktop integration and the Debian package (cpack -G DEB, see scripts/package).

include(GNUInstallDirs)

set(KORV_PKG ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(KORV_APP_ID org.korvelantis.Korvelantis)
set(KORV_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/korvelantis)

if(KORV_BUILD_UI)
  install(FILES ${KORV_PKG}/${KORV_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${KORV_PKG}/${KORV_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${KORV_PKG}/korvelantis.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

  # The PNG sizes are drawn by the program's own icon code.
  add_executable(korv-icon-png ${KORV_PKG}/icon_png.cpp)
  target_link_libraries(korv-icon-png PRIVATE korv_ui korv_warnings)
  set(icon_pngs)
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}/korvelantis.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}
      COMMAND korv-icon-png ${size} ${png}
      DEPENDS korv-icon-png VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(korv_icons ALL DEPENDS ${icon_pngs})
endif()

# Debian wants compressed manual pages and changelog, reproducibly (gzip -n: no name, no time).
set(gzipped)
foreach(src IN ITEMS
    man/korvelantis.1 man/korvelantis-cli.1 man/korvelantis-sim.1 changelog)
  get_filename_component(name ${src} NAME)
  if(name STREQUAL "changelog")
    # A native package: upstream's changelog is the Debian one.
    set(name changelog)
  endif()
  set(gz ${CMAKE_CURRENT_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
    COMMAND sh -c "gzip -9 -n -c '${KORV_PKG}/${src}' > '${gz}'"
    DEPENDS ${KORV_PKG}/${src} VERBATIM)
  list(APPEND gzipped ${gz})
  if(src MATCHES "^man/")
    install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    install(FILES ${gz} DESTINATION ${KORV_DOC_DIR})
  endif()
endforeach()
add_custom_target(korv_packaging_files ALL DEPENDS ${gzipped})
install(FILES ${KORV_PKG}/copyright DESTINATION ${KORV_DOC_DIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/README.md DESTINATION ${KORV_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvelantis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Korvelantis developers <developers@korvelantis.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configure, calibrate and log switch-transmitters over Modbus RTU")
set(CPACK_PACKAGE_DESCRIPTION
"Korvelantis is the Modbus RTU master for intelligent switch-transmitters:
pressure, temperature or level sensors with two switch outputs and an
optional current or voltage output, up to 60 on one RS-485 bus.
.
The package holds the window (korvelantis), the same core on the command
line for production-line scripts (korvelantis-cli) and a simulated bus for
any Modbus master (korvelantis-sim).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's Chinese texts need a CJK font; the offscreen and xcb platforms come with Qt.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
