# Install rules for Skyquill. Included by the top-level CMakeLists.txt once
# the `skyquill` executable target exists.
#
# Two layouts on Unix-like systems, as install components (paths relative to
# the install prefix):
#
#   `cmake --install` (components share and local):
#     bin/skyquill                           launcher script
#     libexec/skyquill/skyquill              the game
#     libexec/skyquill/SkyquillList.txt      its word list (the game reads it
#                                            from its own directory)
#     share/doc/Skyquill/COPYING.wordlist    word list notice
#     share/doc/Skyquill/LICENSE             the game's licence
#
#   the Debian package, cmake/Package.cmake (components share and deb; deb is
#   left out of a plain install):
#     games/skyquill                         launcher script
#     lib/games/skyquill/skyquill            the game
#     lib/games/skyquill/SkyquillList.txt    a link to the word list:
#     /etc/skyquill/SkyquillList.txt         a conffile, so that an edited
#                                            list survives upgrades
#     share/doc/skyquill/copyright           machine-readable, with the word
#                                            list's notice
#     share/doc/skyquill/changelog.gz
#
#   both (component share):
#     share/applications/skyquill.desktop
#     share/metainfo/io.github.tamsley.Skyquill.metainfo.xml
#     share/icons/hicolor/32x32/apps/skyquill.png
#     share/icons/hicolor/scalable/apps/skyquill.svg
#     share/man/man6/skyquill.6.gz
#
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
  set(_skyquill_gen "${CMAKE_CURRENT_BINARY_DIR}/skyquill-install")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    "${_skyquill_root}/packaging/skyquill.sh.in"
    "${_skyquill_root}/packaging/skyquill.6.in"
    "${_skyquill_root}/packaging/io.github.tamsley.Skyquill.metainfo.xml.in"
    "${_skyquill_root}/packaging/changelog")

  # Debian wants man pages and changelogs compressed at the highest level and
  # without a timestamp in the gzip header (-n), so the package is
  # reproducible.
  function(_skyquill_gzip source output)
    execute_process(COMMAND gzip -9 -n -c
                    INPUT_FILE "${source}" OUTPUT_FILE "${output}"
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "gzip ${source} failed: ${rc}")
    endif()
  endfunction()

  # The game and a launcher in <bindir> that finds the game relative to
  # itself, so that `--prefix` at install time and an unpacked package both
  # work.
  function(_skyquill_install_game component bindir appdir)
    if(IS_ABSOLUTE "${bindir}" OR IS_ABSOLUTE "${appdir}")
      cmake_path(ABSOLUTE_PATH appdir BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" OUTPUT_VARIABLE full)
      set(SKYQUILL_GAME "${full}/skyquill")
    else()
      file(RELATIVE_PATH rel "/root/${bindir}" "/root/${appdir}")
      set(SKYQUILL_GAME "$here/${rel}/skyquill")
    endif()
    set(launcher "${_skyquill_gen}/${component}/skyquill")
    configure_file("${_skyquill_root}/packaging/skyquill.sh.in" "${launcher}" @ONLY)
    install(PROGRAMS "${launcher}" DESTINATION "${bindir}" COMPONENT ${component} ${ARGN})
    install(TARGETS skyquill RUNTIME DESTINATION "${appdir}" COMPONENT ${component} ${ARGN})
  endfunction()

  _skyquill_install_game(local "${CMAKE_INSTALL_BINDIR}" "${CMAKE_INSTALL_LIBEXECDIR}/skyquill")
  install(FILES "${_skyquill_root}/data/SkyquillList.txt"
          DESTINATION "${CMAKE_INSTALL_LIBEXECDIR}/skyquill" COMPONENT local)
  install(FILES "${_skyquill_root}/data/COPYING.wordlist" "${_skyquill_root}/LICENSE"
          DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT local)

  # Debian keeps games in /usr/games and their private files in
  # /usr/lib/games/<name>. The copyright file carries the word list's notice,
  # so COPYING.wordlist is not shipped a second time.
  _skyquill_install_game(deb games lib/games/skyquill EXCLUDE_FROM_ALL)
  # The list is a conffile in /etc (cmake/Package.cmake lists it), and the
  # game finds it through a link beside itself. The link crosses top-level
  # folders, so Debian policy wants it absolute. install(FILES) keeps a link
  # a link.
  install(FILES "${_skyquill_root}/data/SkyquillList.txt"
          DESTINATION /etc/skyquill COMPONENT deb EXCLUDE_FROM_ALL)
  file(CREATE_LINK /etc/skyquill/SkyquillList.txt "${_skyquill_gen}/deb/SkyquillList.txt" SYMBOLIC)
  install(FILES "${_skyquill_gen}/deb/SkyquillList.txt"
          DESTINATION lib/games/skyquill COMPONENT deb EXCLUDE_FROM_ALL)
  _skyquill_gzip("${_skyquill_root}/packaging/changelog" "${_skyquill_gen}/changelog.gz")
  install(FILES
            "${_skyquill_root}/packaging/copyright"
            "${_skyquill_gen}/changelog.gz"
          DESTINATION share/doc/skyquill COMPONENT deb EXCLUDE_FROM_ALL)

  # The man page and the metainfo carry the project's version.
  configure_file("${_skyquill_root}/packaging/skyquill.6.in" "${_skyquill_gen}/skyquill.6" @ONLY)
  configure_file("${_skyquill_root}/packaging/io.github.tamsley.Skyquill.metainfo.xml.in"
                 "${_skyquill_gen}/io.github.tamsley.Skyquill.metainfo.xml" @ONLY)
  _skyquill_gzip("${_skyquill_gen}/skyquill.6" "${_skyquill_gen}/skyquill.6.gz")
  install(FILES "${_skyquill_gen}/skyquill.6.gz"
          DESTINATION "${CMAKE_INSTALL_MANDIR}/man6" COMPONENT share)
  install(FILES "${_skyquill_root}/packaging/skyquill.desktop"
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/applications" COMPONENT share)
  install(FILES "${_skyquill_gen}/io.github.tamsley.Skyquill.metainfo.xml"
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/metainfo" COMPONENT share)
  install(FILES "${_skyquill_root}/src/qt/icons/skyquill.png"
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/32x32/apps" COMPONENT share)
  install(FILES "${_skyquill_root}/src/qt/icons/skyquill.svg"
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps" COMPONENT share)

  unset(_skyquill_gen)
endif()

unset(_skyquill_root)
