# The replay runner's library is linked into the tests: the gameplay
# figures are measured through it.
if(TARGET fusewick_replay)
  target_link_libraries(fusewick-tests PRIVATE fusewick_replay)
endif()

# The built runner itself, on the built game data: the same seed and script
# give the same trace bytes.
if(TARGET fusewick-replay)
  add_test(NAME ReplayExecutableRepeatsItsTrace
           COMMAND ${CMAKE_COMMAND} -DREPLAY=$<TARGET_FILE:fusewick-replay>
                   -DWORK=${CMAKE_CURRENT_BINARY_DIR}/replay-repeat -P ${CMAKE_CURRENT_SOURCE_DIR}/replay/trace_repeat.cmake)
  set_tests_properties(ReplayExecutableRepeatsItsTrace PROPERTIES TIMEOUT 600
                       ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;ASAN_OPTIONS=detect_leaks=0")
endif()

# Frames that ask nothing of the heap. The sanitizer build gives every
# freed game sprite back to the heap (so that a use after free is caught):
# there only the menus are checked.
if(TARGET fusewick-replay)
  if(FUSEWICK_SANITIZE)
    set(play OFF)
  else()
    set(play ON)
  endif()
  add_test(NAME ReplayFramesDoNotAllocate
           COMMAND ${CMAKE_COMMAND} -DREPLAY=$<TARGET_FILE:fusewick-replay> -DDATA=${CMAKE_BINARY_DIR}/Data
                   -DWORK=${CMAKE_CURRENT_BINARY_DIR}/no-alloc -DPLAY=${play}
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/replay/no_alloc.cmake)
  set_tests_properties(ReplayFramesDoNotAllocate PROPERTIES TIMEOUT 1200
                       ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;ASAN_OPTIONS=detect_leaks=0")
endif()

# Recording and playing back through the built runner's command line.
if(TARGET fusewick-replay)
  add_test(NAME ReplayExecutableRecordsAndPlaysBack
           COMMAND ${CMAKE_COMMAND} -DREPLAY=$<TARGET_FILE:fusewick-replay> -DDATA=${CMAKE_BINARY_DIR}/Data
                   -DWORK=${CMAKE_CURRENT_BINARY_DIR}/recording-cli -DPLAY=${play}
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/replay/recording_cli.cmake)
  set_tests_properties(ReplayExecutableRecordsAndPlaysBack PROPERTIES TIMEOUT 600
                       ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;ASAN_OPTIONS=detect_leaks=0")
endif()

# Soaks: seeded random play through the built runner, leaks checked in the
# sanitizer build. FUSEWICK_SOAK_TICKS sets the length (the full soak is a
# million ticks: -DFUSEWICK_SOAK_TICKS=1000000).
set(FUSEWICK_SOAK_TICKS 50000 CACHE STRING "Ticks of each soak run")
if(TARGET fusewick-replay)
  # Level 1 as it comes; level 6 (every kind of monster) with the gun held.
  foreach(run "1;1;" "6;2;--armed")
    list(GET run 0 level)
    list(GET run 1 seed)
    list(GET run 2 extra)
    add_test(NAME ReplaySoakLevel${level}
             COMMAND ${CMAKE_COMMAND} -DREPLAY=$<TARGET_FILE:fusewick-replay> -DDATA=${CMAKE_BINARY_DIR}/Data
                     -DWORK=${CMAKE_CURRENT_BINARY_DIR}/soak-${level} -DTICKS=${FUSEWICK_SOAK_TICKS}
                     -DLEVEL=${level} -DSEED=${seed} -DLIMIT=400 -DEXTRA=${extra}
                     -P ${CMAKE_CURRENT_SOURCE_DIR}/replay/soak.cmake)
    set_tests_properties(ReplaySoakLevel${level} PROPERTIES TIMEOUT 3600 LABELS soak
                         ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
  endforeach()
endif()

# The corpus of recorded games re-played to their stored scores: a change
# that changes play fails it until the logic version is bumped and the
# corpus re-recorded (scripts/record-corpus).
if(TARGET fusewick-replay)
  add_test(NAME ReplayCorpusPlaysToItsScores
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/replay/corpus.sh $<TARGET_FILE:fusewick-replay>
                   ${CMAKE_BINARY_DIR}/Data ${CMAKE_CURRENT_SOURCE_DIR}/recordings)
  set_tests_properties(ReplayCorpusPlaysToItsScores PROPERTIES TIMEOUT 600
                       ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;ASAN_OPTIONS=detect_leaks=0")
endif()
