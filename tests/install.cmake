# The install into a fresh prefix, the menu entry and metainfo checked by
# Debian's validators, and the game started through its launcher; and the
# Debian package made by cpack, checked without installing it (a new file in
# the install rules is a new line in package_test.sh's list). The install
# needs the packed archives, which the archive tool makes. Both write the
# launcher and menu entry for their prefix into the build's dist/ folder, so
# they take turns.
if(TARGET fusewick-archive)
  add_test(NAME install-and-launch
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/install_test.sh ${CMAKE_BINARY_DIR})
  add_test(NAME debian-package
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package_test.sh ${CMAKE_BINARY_DIR}
                   ${CMAKE_CPACK_COMMAND} ${PROJECT_VERSION}-${FUSEWICK_PACKAGE_REVISION})
  set_tests_properties(install-and-launch debian-package PROPERTIES
                       TIMEOUT 300 RESOURCE_LOCK fusewick-install-staging)
endif()
