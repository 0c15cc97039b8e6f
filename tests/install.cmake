# The install into a fresh prefix, the menu entry and metainfo checked by
# Debian's validators, and the game started through its launcher. The
# install needs the packed archives, which the archive tool makes.
if(TARGET fusewick-archive)
  add_test(NAME install-and-launch
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/install_test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(install-and-launch PROPERTIES TIMEOUT 300)
endif()
