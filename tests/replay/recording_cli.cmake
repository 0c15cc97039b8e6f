# The built runner records a game and plays it back: the four result lines
# and exit 0; a bad file is exit 2 and a recording longer than --max-ticks
# exit 4, each with a "fusewick-replay: " line on stderr. With PLAY set, the
# playback's timing run shows running play that asks nothing of the heap.
# Called by CTest with REPLAY, DATA (the built Data folder), WORK and PLAY.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/Data/Save)
file(CREATE_LINK ${DATA}/Res ${WORK}/Data/Res SYMBOLIC)
file(CREATE_LINK ${DATA}/Music ${WORK}/Data/Music SYMBOLIC)

function(run expected)
  execute_process(COMMAND ${REPLAY} --data ${WORK} ${ARGN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 600)
  if(NOT status EQUAL expected)
    message(FATAL_ERROR "fusewick-replay ${ARGN}: exit ${status}, not ${expected}\n${out}\n${err}")
  endif()
  if(NOT expected EQUAL 0 AND NOT err MATCHES "^fusewick-replay: [^\n]+\n")
    message(FATAL_ERROR "fusewick-replay ${ARGN}: no message line on stderr:\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run(0 --seed 3 --start game --random-input 3 --ticks 4000 --record ${WORK}/game.fwr)
run(0 --replay ${WORK}/game.fwr)
if(NOT out MATCHES "^score: [0-9]+\nlevel: [0-9]+\nticks: [0-9]+\nname: \n$")
  message(FATAL_ERROR "unexpected result lines:\n${out}")
endif()
run(4 --replay ${WORK}/game.fwr --max-ticks 1)
file(WRITE ${WORK}/text.fwr "FWRC and then not a recording")
file(WRITE ${WORK}/empty.fwr "")
foreach(bad text.fwr empty.fwr missing.fwr)
  run(2 --replay ${WORK}/${bad})
endforeach()
run(2 --replay ${WORK}/game.fwr --seed 1)
if(PLAY)
  run(0 --replay ${WORK}/game.fwr --timedemo)
  if(NOT out MATCHES "steady-state play ticks that allocated: 0\n")
    message(FATAL_ERROR "the playback's running play allocated:\n${out}")
  endif()
endif()
