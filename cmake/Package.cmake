# The Debian package, built by CPack's DEB generator from the release build
# (`cpack --preset deb`): the `share` and `deb` install components of
# cmake/Install.cmake, laid out as Debian lays out games, under /usr.

if(WIN32 OR APPLE)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skyquill)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR Tamsley)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

# Only the package's own components, in one package.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL share deb)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

set(CPACK_DEBIAN_PACKAGE_NAME skyquill)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(SKYQUILL_DEB_MAINTAINER "Skyquill maintainers <maintainers@users.noreply.c-seed-45475085.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SKYQUILL_DEB_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "falling-words typing game")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[Skyquill is a small typing game for one player. A word falls down a black
window, and you type it before it reaches the red ground line. Each word
typed in time earns a point, each word that lands costs one, and the tenth
point wins.
.
It comes with a list of 10,000 common English words. Any plain text file of
words, in any script, can be played instead: name it on the command line
(skyquill FILE), or save it as ~/.local/share/skyquill/SkyquillList.txt to
play it from the menu too. The system's list,
/etc/skyquill/SkyquillList.txt, is a configuration file: an edited list
survives upgrades.]=])

# Depends: the libraries the game links, as dpkg-shlibdeps works them out,
# uchardet and CLD2, which it loads when a list needs them, and the font that the
# window's sans-serif text falls back to.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libuchardet0 (>= 0.0.7), libcld2-0")
# A Wayland session runs the game natively only with Qt's Wayland plugin;
# without it Qt falls back to XWayland. (GNOME's asks for XWayland first.)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)

if(NOT CMAKE_STRIP)
  message(FATAL_ERROR "the Debian package needs strip (binutils)")
endif()
set(CPACK_SKYQUILL_STRIP "${CMAKE_STRIP}")
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/DebStrip.cmake")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The system's word list is a conffile: dpkg keeps an edited one and asks
# before it replaces it.
file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/deb-control/conffiles" "/etc/skyquill/SkyquillList.txt\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_BINARY_DIR}/deb-control/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Reproducible: CPack stamps every file and archive member with
# SOURCE_DATE_EPOCH, which this sets at packaging time to the last commit's
# time unless the caller chose one.
set(CPACK_SKYQUILL_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/DebEpoch.cmake")
# Directories 0755 whatever the umask of the machine that builds the package.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
