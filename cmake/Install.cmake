# cmake --install: the program, its media plugin, the bundled demo game, the
# desktop entry, the icons and the manual page, under CMAKE_INSTALL_PREFIX in the
# GNU layout. The program finds its plugin and the demo game from its own folder,
# so an installed tree may be moved as a whole.
include(GNUInstallDirs)

set(VARO_INSTALL_PLUGINDIR "${CMAKE_INSTALL_LIBDIR}/varo")
set(VARO_INSTALL_DEMODIR "${CMAKE_INSTALL_DATADIR}/varo/games/demo")

# Both folders as the program sees them from its own (e.g. ../lib/varo).
foreach(kind PLUGINDIR DEMODIR)
  if(IS_ABSOLUTE "${VARO_INSTALL_${kind}}")
    set(full "${VARO_INSTALL_${kind}}")
  else()
    set(full "${CMAKE_INSTALL_PREFIX}/${VARO_INSTALL_${kind}}")
  endif()
  file(RELATIVE_PATH from_program "${CMAKE_INSTALL_FULL_BINDIR}" "${full}")
  set(VARO_${kind}_FROM_PROGRAM "${from_program}")
endforeach()
target_compile_definitions(varo PRIVATE
  VARO_INSTALLED_PLUGIN_DIR="${VARO_PLUGINDIR_FROM_PROGRAM}"
  VARO_INSTALLED_DEMO_DIR="${VARO_DEMODIR_FROM_PROGRAM}")

install(TARGETS varo RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(TARGETS varo_media LIBRARY DESTINATION "${VARO_INSTALL_PLUGINDIR}")

# The demo game as shipped: without what a run in the source tree left in it.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/games/demo/"
        DESTINATION "${VARO_INSTALL_DEMODIR}"
        REGEX "/(savedata|log)$" EXCLUDE)

set(packaging "${PROJECT_SOURCE_DIR}/packaging")
install(FILES "${packaging}/varo.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
# The manual page names the version and where the program finds its plugin and demo.
configure_file("${packaging}/varo.1.in" "${PROJECT_BINARY_DIR}/varo.1" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/varo.1" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(DIRECTORY "${packaging}/icons/hicolor" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons")
