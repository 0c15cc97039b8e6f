# The archive readers' libFuzzer target, built with clang from the reader
# sources alone, and a CTest test that runs it for a bounded time over the
# small seed corpus in tests/fuzz_corpus/.
set(FUSEWICK_FUZZ_SECONDS 120 CACHE STRING "How long the archive fuzz test runs, in seconds")
find_program(FUSEWICK_CLANGXX NAMES clang++ clang++-14)
if(NOT FUSEWICK_CLANGXX)
  message(WARNING "clang++ not found (Debian: clang, libclang-rt-14-dev): the archive fuzz test is left out")
  return()
endif()

set(fuzz_sources
  ${CMAKE_SOURCE_DIR}/tests/fuzz/archive_fuzzer.cpp
  ${CMAKE_SOURCE_DIR}/src/engine/ArchiveFormat.cpp
  ${CMAKE_SOURCE_DIR}/src/engine/Dib.cpp
  ${CMAKE_SOURCE_DIR}/src/engine/RiffWave.cpp
  ${CMAKE_SOURCE_DIR}/src/engine/Errors.cpp)
set(fuzz_headers
  ${CMAKE_SOURCE_DIR}/src/engine/ArchiveFormat.h
  ${CMAKE_SOURCE_DIR}/src/engine/Dib.h
  ${CMAKE_SOURCE_DIR}/src/engine/RiffWave.h
  ${CMAKE_SOURCE_DIR}/src/engine/Errors.h
  ${CMAKE_SOURCE_DIR}/src/engine/Picture.h
  ${CMAKE_SOURCE_DIR}/src/engine/Types.h)
set(fuzzer ${CMAKE_CURRENT_BINARY_DIR}/archive-fuzzer)
add_custom_command(OUTPUT ${fuzzer}
  COMMAND ${FUSEWICK_CLANGXX} -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
          -Wall -Wextra -Werror -I${CMAKE_SOURCE_DIR}/src ${fuzz_sources} -o ${fuzzer}
  DEPENDS ${fuzz_sources} ${fuzz_headers}
  COMMENT "Building the archive fuzz target with clang"
  VERBATIM)
add_custom_target(archive-fuzzer ALL DEPENDS ${fuzzer})

add_test(NAME archive_fuzz
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/fuzz/run_fuzzer.sh ${fuzzer} ${CMAKE_SOURCE_DIR}/tests/fuzz_corpus
          ${CMAKE_SOURCE_DIR}/tests/fuzz/archive.dict ${CMAKE_CURRENT_BINARY_DIR}/fuzz-work ${FUSEWICK_FUZZ_SECONDS})
math(EXPR fuzz_timeout "${FUSEWICK_FUZZ_SECONDS} + 180")
set_tests_properties(archive_fuzz PROPERTIES TIMEOUT ${fuzz_timeout} LABELS fuzz)
