# Builds tests/compiler/null_base_scan.cpp with the compiler CXX at -O1, -O2
# and -O3 plus FLAGS, runs each build, and checks that the scan's call was
# kept (EXPECT=kept: every build must keep it) or lost (EXPECT=lost: the
# compiler still needs the workaround; when every build keeps it, the run
# ends with the note that ctest reports as a skip). Called by CTest with CXX,
# SOURCE, WORK, FLAGS (a list) and EXPECT.
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CXX} --version OUTPUT_VARIABLE version)
string(REGEX MATCH "^[^\n]*" version "${version}")
cmake_minimum_required(VERSION 3.25)
set(dropped_at "")
foreach(level -O1 -O2 -O3)
  set(exe ${WORK}/null_base_scan${level})
  execute_process(COMMAND ${CXX} -std=c++20 ${level} ${FLAGS} ${SOURCE} -o ${exe} RESULT_VARIABLE status
                  ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${version} could not build the case at ${level}: ${errors}")
  endif()
  execute_process(COMMAND ${exe} RESULT_VARIABLE status OUTPUT_VARIABLE calls OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(JOIN " " shown ${level} ${FLAGS})
  message(STATUS "${shown}: ${calls} call(s) made")
  if(NOT status EQUAL 0)
    list(APPEND dropped_at ${level})
  endif()
endforeach()
if(EXPECT STREQUAL "kept" AND dropped_at)
  message(FATAL_ERROR "${version} with '${FLAGS}' deleted the scan's call at ${dropped_at}: the build's workaround flags no "
                      "longer keep it (see the comment at FUSEWICK_GCC_WORKAROUND_FLAGS in CMakeLists.txt)")
elseif(EXPECT STREQUAL "lost" AND NOT dropped_at)
  message(STATUS "NOTE: ${version} keeps the scan's call without the workaround flags: "
                 "FUSEWICK_GCC_WORKAROUND_FLAGS may be dropped for it")
elseif(EXPECT STREQUAL "lost")
  message(STATUS "${version} deletes the call without the workaround at ${dropped_at}: the workaround is still needed")
endif()
