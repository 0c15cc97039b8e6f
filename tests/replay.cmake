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
