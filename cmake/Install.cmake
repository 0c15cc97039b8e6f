# Installing the game on a Linux desktop: cmake --install build --prefix PREFIX
# (and the Debian package, cmake/Package.cmake, which installs into /usr).
#
# The layout is the one Debian gives games:
#   PREFIX/games/fusewick                      the launcher: runs the game in
#                                              a game folder of the user's own
#   PREFIX/lib/games/fusewick/fusewick         the game itself
#   PREFIX/share/games/fusewick/Data/Res       its pictures and sounds,
#   PREFIX/share/games/fusewick/Data/Music     its songs
#   PREFIX/share/games/fusewick/Data/Save/options  a new player's first options
#   PREFIX/share/applications/<id>.desktop     the desktop's menu entry
#   PREFIX/share/icons/hicolor/NxN/apps/<id>.png   icons, 48, 128 and 256
#   PREFIX/share/metainfo/<id>.metainfo.xml    the software centre's entry
#   PREFIX/share/man/man6/fusewick.6.gz        the manual page
#   PREFIX/share/doc/fusewick/                 copyright and changelog
#   PREFIX/share/lintian/overrides/fusewick    lintian's notes on the package
#
# A file the game reads at run time goes under ${FUSEWICK_INSTALL_DATADIR}/Data/Res:
# the launcher links each user's Data/Res (and Data/Music) there.
#
# The launcher and the menu entry name the installed files by absolute path;
# both are written when the install runs, so --prefix chosen then counts
# (DESTDIR is left out of those paths, as packaging wants).
include(GNUInstallDirs)

set(FUSEWICK_APP_ID org.fusewick.Fusewick)
set(FUSEWICK_INSTALL_LAUNCHERDIR "games" CACHE STRING
    "Folder under the prefix for the launcher (bin puts it on a user's PATH under ~/.local)")
set(FUSEWICK_INSTALL_GAMEDIR "lib/games/fusewick" CACHE STRING
    "Folder under the prefix for the game's executable")
set(FUSEWICK_INSTALL_DATADIR "share/games/fusewick" CACHE STRING
    "Folder under the prefix for the game's read-only Data")
foreach(dir FUSEWICK_INSTALL_LAUNCHERDIR FUSEWICK_INSTALL_GAMEDIR FUSEWICK_INSTALL_DATADIR)
  if(IS_ABSOLUTE "${${dir}}")
    message(FATAL_ERROR "${dir} must be relative to the prefix")
  endif()
endforeach()
# Folders the install makes are rwxr-xr-x whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The game and its data.
install(TARGETS fusewick RUNTIME DESTINATION ${FUSEWICK_INSTALL_GAMEDIR})
# A stripped install (the package's) also drops the compiler's notes.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${FUSEWICK_INSTALL_GAMEDIR}/fusewick\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
")
install(FILES
  ${CMAKE_BINARY_DIR}/Data/Res/Images1.dxg
  ${CMAKE_BINARY_DIR}/Data/Res/Images2.dxg
  ${CMAKE_BINARY_DIR}/Data/Res/Sounds.dxw
  DESTINATION ${FUSEWICK_INSTALL_DATADIR}/Data/Res)
install(FILES
  ${CMAKE_BINARY_DIR}/Data/Music/Game.xm
  ${CMAKE_BINARY_DIR}/Data/Music/Menu.xm
  DESTINATION ${FUSEWICK_INSTALL_DATADIR}/Data/Music)
# The first options of every player: music and sound on.
install(FILES ${CMAKE_SOURCE_DIR}/dist/options DESTINATION ${FUSEWICK_INSTALL_DATADIR}/Data/Save)

# What the install writes for its prefix: the launcher and the menu entry;
# and the manual page and changelog, compressed as Debian wants them.
set(FUSEWICK_DIST_STAGING ${CMAKE_BINARY_DIR}/dist)
install(CODE "
  set(FUSEWICK_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")
  set(FUSEWICK_DIST_STAGING \"${FUSEWICK_DIST_STAGING}\")
  set(FUSEWICK_APP_ID \"${FUSEWICK_APP_ID}\")
  set(FUSEWICK_INSTALL_GAMEDIR \"${FUSEWICK_INSTALL_GAMEDIR}\")
  set(FUSEWICK_INSTALL_DATADIR \"${FUSEWICK_INSTALL_DATADIR}\")
  set(FUSEWICK_INSTALL_LAUNCHERDIR \"${FUSEWICK_INSTALL_LAUNCHERDIR}\")
")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallGenerated.cmake)
install(PROGRAMS ${FUSEWICK_DIST_STAGING}/fusewick DESTINATION ${FUSEWICK_INSTALL_LAUNCHERDIR})
install(FILES ${FUSEWICK_DIST_STAGING}/${FUSEWICK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The desktop's icons and the software centre's entry.
foreach(size 48 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/assets/icons/fusewick-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${FUSEWICK_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/dist/${FUSEWICK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page and the package's documents.
install(FILES ${FUSEWICK_DIST_STAGING}/fusewick.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright ${FUSEWICK_DIST_STAGING}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/fusewick)
install(FILES ${CMAKE_SOURCE_DIR}/dist/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME fusewick)

# What a player needs built: the game, its data and its icons (scripts/play
# builds this target; the tools define the data targets). A file the
# install takes from the build folder comes from a target listed here.
add_custom_target(fusewick-player)
add_dependencies(fusewick-player fusewick art-images fusewick-audio-data art-icons)
