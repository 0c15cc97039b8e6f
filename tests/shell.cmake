# The shell's tests start the game as it starts for a player, from the
# built image and sound archives (tests/Harness.h links them into each
# test's folder): build them before the tests.
foreach(data art-images fusewick-audio-data)
  if(TARGET ${data})
    add_dependencies(fusewick-tests ${data})
  endif()
endforeach()
