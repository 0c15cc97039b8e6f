# The Debian package: `cpack -G DEB` in the build folder makes
# fusewick_<version>-<revision>_<arch>.deb from the install rules of
# Install.cmake, under /usr. cpack builds what is out of date first.
set(FUSEWICK_PACKAGE_MAINTAINER "Fusewick developers <maintainers@fusewick.org>" CACHE STRING
    "The Debian package's Maintainer field")
# The Debian revision; dist/changelog.Debian's first entry is this version.
set(FUSEWICK_PACKAGE_REVISION 1 CACHE STRING "The Debian package's revision")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fusewick)
set(CPACK_PACKAGE_VENDOR "Fusewick developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${FUSEWICK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade platform game: clear every bomb before its fuse burns down")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Fusewick is a single-screen arcade platform game. The hero walks, jumps
and high-jumps across levels of platforms, walls and drifting clouds and
must take all the bombs, mines and dynamite before their lit fuses burn
down, while monsters walk, drift, home in, shoot and drop bombs.

Every level is generated as it starts and lights its fuses faster than
the one before. Bonuses appear at random: a gun, an engine for the long
jumps, an energy shield, an extra life, money and the mega bomb. A score
that beats the high-score table is kept with the player's name.

It plays with the keyboard or a gamepad, in a window or full screen.]=])

# The installed paths are those of /usr: the launcher and the menu entry are
# written for CMAKE_INSTALL_PREFIX while the files go to cpack's staging
# folder through DESTDIR.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${FUSEWICK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${FUSEWICK_PACKAGE_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: the libraries the game links, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The game's relocations read-only and bound at start.
target_link_options(fusewick PRIVATE LINKER:-z,relro LINKER:-z,now)

include(CPack)
