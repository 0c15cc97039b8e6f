# Installing the game on a Linux desktop: cmake --install build --prefix PREFIX
#
#   PREFIX/lib/fusewick/fusewick               the game
#   PREFIX/lib/fusewick/Data/Res, Data/Music   its pictures, sounds and songs
#   PREFIX/bin/fusewick                        the launcher: runs the game in
#                                              a game folder of the user's own
#   PREFIX/share/applications/<id>.desktop     the desktop's menu entry
#   PREFIX/share/icons/hicolor/NxN/apps/<id>.png   icons, 48, 128 and 256
#   PREFIX/share/metainfo/<id>.metainfo.xml    the software centre's entry
#
# The launcher and the menu entry name the installed files by absolute path;
# both are written when the install runs, so --prefix chosen then counts
# (DESTDIR is left out of those paths, as packaging wants).
include(GNUInstallDirs)

set(FUSEWICK_APP_ID org.fusewick.Fusewick)
set(FUSEWICK_INSTALL_GAMEDIR "lib/fusewick" CACHE STRING
    "Folder under the prefix for the game and its read-only data")
if(IS_ABSOLUTE "${FUSEWICK_INSTALL_GAMEDIR}")
  message(FATAL_ERROR "FUSEWICK_INSTALL_GAMEDIR must be relative to the prefix")
endif()

install(TARGETS fusewick RUNTIME DESTINATION ${FUSEWICK_INSTALL_GAMEDIR})
install(FILES
  ${CMAKE_BINARY_DIR}/Data/Res/Images1.dxg
  ${CMAKE_BINARY_DIR}/Data/Res/Images2.dxg
  ${CMAKE_BINARY_DIR}/Data/Res/Sounds.dxw
  DESTINATION ${FUSEWICK_INSTALL_GAMEDIR}/Data/Res)
install(FILES
  ${CMAKE_BINARY_DIR}/Data/Music/Game.xm
  ${CMAKE_BINARY_DIR}/Data/Music/Menu.xm
  DESTINATION ${FUSEWICK_INSTALL_GAMEDIR}/Data/Music)
# The first options of every player: music and sound on.
install(FILES ${CMAKE_SOURCE_DIR}/dist/options DESTINATION ${FUSEWICK_INSTALL_GAMEDIR}/Data/Save)

# The launcher and the menu entry, made for the prefix of this install.
set(FUSEWICK_DIST_STAGING ${CMAKE_BINARY_DIR}/dist)
install(CODE "
  set(FUSEWICK_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")
  set(FUSEWICK_DIST_STAGING \"${FUSEWICK_DIST_STAGING}\")
  set(FUSEWICK_APP_ID \"${FUSEWICK_APP_ID}\")
  set(FUSEWICK_INSTALL_GAMEDIR \"${FUSEWICK_INSTALL_GAMEDIR}\")
  set(FUSEWICK_INSTALL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallDesktopFiles.cmake)
install(PROGRAMS ${FUSEWICK_DIST_STAGING}/fusewick DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${FUSEWICK_DIST_STAGING}/${FUSEWICK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

foreach(size 48 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/assets/icons/fusewick-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${FUSEWICK_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/dist/${FUSEWICK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
