# The replay runner's library is linked into the tests: the gameplay
# figures are measured through it.
if(TARGET fusewick_replay)
  target_link_libraries(fusewick-tests PRIVATE fusewick_replay)
endif()
