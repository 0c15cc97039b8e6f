# Run by the install (see Install.cmake): writes the launcher and the menu
# entry for the prefix of this install into FUSEWICK_DIST_STAGING.
# Expects FUSEWICK_SOURCE_DIR, FUSEWICK_DIST_STAGING, FUSEWICK_APP_ID,
# FUSEWICK_INSTALL_GAMEDIR and FUSEWICK_INSTALL_BINDIR.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(game_dir "${prefix}/${FUSEWICK_INSTALL_GAMEDIR}")
set(launcher "${prefix}/${FUSEWICK_INSTALL_BINDIR}/fusewick")

# The launcher holds the game's folder in single quotes.
string(REPLACE "'" "'\\''" FUSEWICK_GAME_DIR "${game_dir}")

# The menu entry: Exec quoted where the path needs it (blanks and the like),
# with the characters that are special inside the quotes escaped, then the
# backslashes of both keys doubled as every string value wants.
if(launcher MATCHES "^[A-Za-z0-9/._+-]+$")
  set(exec "${launcher}")
else()
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${launcher}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" exec "${exec}")
string(REPLACE "\\" "\\\\" FUSEWICK_EXEC "${exec}")
string(REPLACE "\\" "\\\\" FUSEWICK_TRY_EXEC "${launcher}")

configure_file("${FUSEWICK_SOURCE_DIR}/dist/fusewick.sh.in" "${FUSEWICK_DIST_STAGING}/fusewick" @ONLY)
configure_file("${FUSEWICK_SOURCE_DIR}/dist/fusewick.desktop.in"
               "${FUSEWICK_DIST_STAGING}/${FUSEWICK_APP_ID}.desktop" @ONLY)
