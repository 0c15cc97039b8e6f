# A fault of GCC 12 that deleted a call of the game's (see the comment at
# FUSEWICK_GCC_WORKAROUND_FLAGS in CMakeLists.txt), reduced to a small
# program. Built with the project's compiler and the flags that break it
# (-O1 to -O3) plus the workaround the game is built with, the call must
# stay.
add_test(NAME NullBaseScanKeepsItsCall
         COMMAND ${CMAKE_COMMAND} -DCXX=${CMAKE_CXX_COMPILER}
                 -DSOURCE=${CMAKE_CURRENT_SOURCE_DIR}/compiler/null_base_scan.cpp
                 -DWORK=${CMAKE_CURRENT_BINARY_DIR}/null-base-scan-kept "-DFLAGS=${FUSEWICK_GCC_WORKAROUND_FLAGS}"
                 -DEXPECT=kept -P ${CMAKE_CURRENT_SOURCE_DIR}/compiler/null_base_scan.cmake)
# Without the workaround, GCC is expected to delete it: the test passes while
# it does, and is reported as skipped, with a note, once a GCC keeps the call
# (the workaround may then go for that GCC).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_test(NAME NullBaseScanLosesItsCallWithoutWorkaround
           COMMAND ${CMAKE_COMMAND} -DCXX=${CMAKE_CXX_COMPILER}
                   -DSOURCE=${CMAKE_CURRENT_SOURCE_DIR}/compiler/null_base_scan.cpp
                   -DWORK=${CMAKE_CURRENT_BINARY_DIR}/null-base-scan-lost -DFLAGS= -DEXPECT=lost -P
                   ${CMAKE_CURRENT_SOURCE_DIR}/compiler/null_base_scan.cmake)
  set_tests_properties(NullBaseScanLosesItsCallWithoutWorkaround PROPERTIES SKIP_REGULAR_EXPRESSION "NOTE: ")
endif()
