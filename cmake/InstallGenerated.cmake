# Run by the install (see Install.cmake): writes into FUSEWICK_DIST_STAGING
# the launcher and the menu entry for the prefix of this install, and the
# manual page and changelog compressed as Debian wants them (gzip -9, no
# name or time stamp, so the same bytes every time).
# Expects FUSEWICK_SOURCE_DIR, FUSEWICK_DIST_STAGING, FUSEWICK_APP_ID,
# FUSEWICK_INSTALL_GAMEDIR, FUSEWICK_INSTALL_DATADIR and
# FUSEWICK_INSTALL_LAUNCHERDIR.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(game "${prefix}/${FUSEWICK_INSTALL_GAMEDIR}/fusewick")
set(data_dir "${prefix}/${FUSEWICK_INSTALL_DATADIR}")
set(launcher "${prefix}/${FUSEWICK_INSTALL_LAUNCHERDIR}/fusewick")

# The launcher holds the game's paths in single quotes.
string(REPLACE "'" "'\\''" FUSEWICK_GAME "${game}")
string(REPLACE "'" "'\\''" FUSEWICK_DATA_DIR "${data_dir}")

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

# The manual page names the installed files (a backslash is \e in roff).
string(REPLACE "\\" "\\e" FUSEWICK_MAN_GAME "${game}")
string(REPLACE "\\" "\\e" FUSEWICK_MAN_DATA_DIR "${data_dir}")
configure_file("${FUSEWICK_SOURCE_DIR}/dist/fusewick.6.in" "${FUSEWICK_DIST_STAGING}/fusewick.6" @ONLY)

foreach(from "${FUSEWICK_DIST_STAGING}/fusewick.6" "${FUSEWICK_SOURCE_DIR}/dist/changelog.Debian")
  get_filename_component(name "${from}" NAME)
  execute_process(COMMAND gzip -9nc "${from}"
                  OUTPUT_FILE "${FUSEWICK_DIST_STAGING}/${name}.gz"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip of ${from} failed: ${status}")
  endif()
endforeach()
