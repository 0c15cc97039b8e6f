# The built runner's timing run counts heap allocations: once a screen is
# up, its frames ask nothing of the heap, menus (the highlight moving, the
# Options text being edited, the help pages turning) and, when PLAY is set,
# running play on level 6 with the gun. Called by CTest with REPLAY, DATA
# (the built Data folder), WORK and PLAY (ON or OFF).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/Data/Save)
file(CREATE_LINK ${DATA}/Res ${WORK}/Data/Res SYMBOLIC)
file(CREATE_LINK ${DATA}/Music ${WORK}/Data/Music SYMBOLIC)
# The steady state is the second half of the ticks: keys in both halves.
set(keys_menu "110 +Down\n112 -Down\n130 +Down\n132 -Down\n150 +Up\n152 -Up\n")
set(keys_options "10 +Up\n12 -Up\n20 +Enter\n22 -Enter\n30 type FRAMES  WITHOUT WASTE\n110 +Up\n112 -Up\n130 +Down\n132 -Down\n")
set(keys_highscores "110 +Up\n112 -Up\n130 +Right\n132 -Right\n150 +Down\n152 -Down\n")
set(keys_help "110 +Enter\n112 -Enter\n130 +Enter\n132 -Enter\n150 +Left\n152 -Left\n")

function(check name)
  execute_process(COMMAND ${REPLAY} --data ${WORK} --timedemo ${ARGN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 600)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name}: fusewick-replay ended with ${status}\n${err}")
  endif()
  string(REGEX MATCH "steady-state ticks that allocated: ([0-9]+)" _ "${out}")
  set(all "${CMAKE_MATCH_1}")
  string(REGEX MATCH "steady-state play ticks that allocated: ([0-9]+)" _ "${out}")
  set(play "${CMAKE_MATCH_1}")
  message("${name}: ${all} allocating ticks, ${play} in running play")
  if(NOT all STREQUAL "0" AND NOT name MATCHES "^play")
    message(FATAL_ERROR "${name}: ${all} frames of the steady state allocated\n${out}")
  endif()
  if(NOT play STREQUAL "0")
    message(FATAL_ERROR "${name}: ${play} ticks of running play allocated\n${out}")
  endif()
endfunction()

foreach(screen menu options highscores help)
  file(WRITE ${WORK}/${screen}.txt "${keys_${screen}}")
  check(${screen} --seed 1 --start ${screen} --ticks 200 --script ${WORK}/${screen}.txt)
endforeach()
# Play: windows opening and new games allocate (not running play).
if(PLAY)
  foreach(seed 8 20)
    check(play${seed} --seed ${seed} --random-input ${seed} --start game --level 6 --armed --ticks 20000)
  endforeach()
endif()
