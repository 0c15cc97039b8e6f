# The world high-score server is a build setting, "host:port" (FUSEWICK_SERVER
# in the top CMakeLists); refuse a value the game could not use.
if(NOT FUSEWICK_SERVER MATCHES "^([A-Za-z0-9.-]+|\\[[0-9A-Fa-f:.]+\\])(:[0-9]+)?$")
  message(FATAL_ERROR "FUSEWICK_SERVER must be host:port, got '${FUSEWICK_SERVER}'")
endif()
