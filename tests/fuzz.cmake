# The archive readers' libFuzzer target, built with clang from the reader
# library's sources, and a CTest test that runs it for a bounded time over the
# small seed corpus in tests/fuzz_corpus/.
set(FUSEWICK_FUZZ_SECONDS 120 CACHE STRING "How long the archive fuzz test runs, in seconds")
find_program(FUSEWICK_CLANGXX NAMES clang++ clang++-14)
if(NOT FUSEWICK_CLANGXX)
  message(WARNING "clang++ not found (Debian: clang, libclang-rt-14-dev): the archive fuzz test is left out")
  return()
endif()

# The fuzz target is the archive reader library's own sources (src/engine),
# compiled with clang and libFuzzer.
set(fuzz_sources $<TARGET_PROPERTY:fusewick_archive_reader,SOURCES>)
file(GLOB fuzz_headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/engine/*.h ${CMAKE_SOURCE_DIR}/src/platform/Error.h)
set(fuzzer ${CMAKE_CURRENT_BINARY_DIR}/archive-fuzzer)
add_custom_command(OUTPUT ${fuzzer}
  COMMAND ${FUSEWICK_CLANGXX} -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
          -Wall -Wextra -Werror -I${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests/fuzz/archive_fuzzer.cpp
          ${fuzz_sources} -o ${fuzzer}
  DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/archive_fuzzer.cpp ${fuzz_sources} ${fuzz_headers}
  COMMENT "Building the archive fuzz target with clang"
  COMMAND_EXPAND_LISTS
  VERBATIM)
add_custom_target(archive-fuzzer ALL DEPENDS ${fuzzer})

add_test(NAME archive_fuzz
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/fuzz/run_fuzzer.sh ${fuzzer} ${CMAKE_SOURCE_DIR}/tests/fuzz_corpus
          ${CMAKE_SOURCE_DIR}/tests/fuzz/archive.dict ${CMAKE_CURRENT_BINARY_DIR}/fuzz-work ${FUSEWICK_FUZZ_SECONDS})
math(EXPR fuzz_timeout "${FUSEWICK_FUZZ_SECONDS} + 180")
set_tests_properties(archive_fuzz PROPERTIES TIMEOUT ${fuzz_timeout} LABELS fuzz)

# The recorded-game reader's target, from its own source and zlib, run the
# same way over tests/fuzz_corpus_recording/.
set(FUSEWICK_RECORDING_FUZZ_SECONDS 60 CACHE STRING "How long the recording fuzz test runs, in seconds")
set(recording_fuzzer ${CMAKE_CURRENT_BINARY_DIR}/recording-fuzzer)
set(recording_sources ${CMAKE_SOURCE_DIR}/src/services/RecordingFormat.cpp)
add_custom_command(OUTPUT ${recording_fuzzer}
  COMMAND ${FUSEWICK_CLANGXX} -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
          -Wall -Wextra -Werror -I${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests/fuzz/recording_fuzzer.cpp
          ${recording_sources} -lz -o ${recording_fuzzer}
  DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/recording_fuzzer.cpp ${recording_sources}
          ${CMAKE_SOURCE_DIR}/src/services/Recording.h
  COMMENT "Building the recording fuzz target with clang"
  VERBATIM)
add_custom_target(recording-fuzzer ALL DEPENDS ${recording_fuzzer})

add_test(NAME recording_fuzz
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/fuzz/run_fuzzer.sh ${recording_fuzzer}
          ${CMAKE_SOURCE_DIR}/tests/fuzz_corpus_recording ${CMAKE_SOURCE_DIR}/tests/fuzz/recording.dict
          ${CMAKE_CURRENT_BINARY_DIR}/recording-fuzz-work ${FUSEWICK_RECORDING_FUZZ_SECONDS})
math(EXPR recording_fuzz_timeout "${FUSEWICK_RECORDING_FUZZ_SECONDS} + 180")
set_tests_properties(recording_fuzz PROPERTIES TIMEOUT ${recording_fuzz_timeout} LABELS fuzz)
