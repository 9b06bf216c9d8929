# Install rules for Skyquill. Included by the top-level CMakeLists.txt once
# the `skyquill` executable target exists.
#
# Layout on Unix-like systems (paths relative to the install prefix):
#   bin/skyquill                                     launcher script
#   libexec/skyquill/skyquill                        the game
#   libexec/skyquill/SkyquillList.txt                its word list (the game
#                                                    reads it from its own
#                                                    directory)
#   share/applications/skyquill.desktop
#   share/metainfo/io.github.tamsley.Skyquill.metainfo.xml
#   share/icons/hicolor/32x32/apps/skyquill.png
#   share/icons/hicolor/scalable/apps/skyquill.svg
#   share/doc/Skyquill/COPYING.wordlist              word list notice
# On Windows the game, its word list and the notice go together into bin/.

include(GNUInstallDirs)

get_filename_component(_skyquill_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

if(WIN32)
  install(TARGETS skyquill RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  install(FILES
            "${_skyquill_root}/data/SkyquillList.txt"
            "${_skyquill_root}/data/COPYING.wordlist"
          DESTINATION "${CMAKE_INSTALL_BINDIR}")
else()
  set(_skyquill_appdir "${CMAKE_INSTALL_LIBEXECDIR}/skyquill")

  install(TARGETS skyquill RUNTIME DESTINATION "${_skyquill_appdir}")
  install(FILES "${_skyquill_root}/data/SkyquillList.txt"
          DESTINATION "${_skyquill_appdir}")

  # The launcher names the game by its absolute path. That path is worked
  # out when installing rather than when configuring, so that
  # `cmake --install <build> --prefix <dir>` still gives a launcher that
  # points into <dir>. (DESTDIR is left out: it is only a staging area.)
  set(_skyquill_launcher_in "${_skyquill_root}/packaging/skyquill.sh.in")
  set(_skyquill_launcher "${CMAKE_CURRENT_BINARY_DIR}/skyquill-launcher/skyquill")
  install(CODE "
    set(_libexec \"${CMAKE_INSTALL_LIBEXECDIR}\")
    if(IS_ABSOLUTE \"\${_libexec}\")
      set(CMAKE_INSTALL_FULL_LIBEXECDIR \"\${_libexec}\")
    else()
      set(CMAKE_INSTALL_FULL_LIBEXECDIR \"\${CMAKE_INSTALL_PREFIX}/\${_libexec}\")
    endif()
    configure_file(\"${_skyquill_launcher_in}\" \"${_skyquill_launcher}\" @ONLY)
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\"
         TYPE PROGRAM FILES \"${_skyquill_launcher}\")
  ")

  install(FILES "${_skyquill_root}/packaging/skyquill.desktop"
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/applications")
  install(FILES "${_skyquill_root}/packaging/io.github.tamsley.Skyquill.metainfo.xml"
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/metainfo")
  install(FILES "${_skyquill_root}/src/window/icons/skyquill.png"
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/32x32/apps")
  install(FILES "${_skyquill_root}/src/window/icons/skyquill.svg"
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps")
  install(FILES "${_skyquill_root}/data/COPYING.wordlist"
          DESTINATION "${CMAKE_INSTALL_DOCDIR}")

  unset(_skyquill_appdir)
  unset(_skyquill_launcher_in)
  unset(_skyquill_launcher)
endif()

unset(_skyquill_root)
