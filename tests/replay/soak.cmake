# A soak run of the built replay runner: seeded random play (walking,
# jumping, firing, pausing, quitting, new games) for TICKS ticks on a copy
# of the game data with its own save folder. Fails on a crash, a sanitizer
# report (the runner's exit status), or more than LIMIT live sprites.
# Called by CTest with REPLAY, DATA (the built Data folder), WORK, TICKS,
# LEVEL, SEED and LIMIT.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/Data/Save)
file(CREATE_LINK ${DATA}/Res ${WORK}/Data/Res SYMBOLIC)
file(CREATE_LINK ${DATA}/Music ${WORK}/Data/Music SYMBOLIC)
execute_process(
  COMMAND ${REPLAY} --data ${WORK} --seed ${SEED} --random-input ${SEED} --start game --level ${LEVEL}
          --ticks ${TICKS} ${EXTRA}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  TIMEOUT 3000)
message("${out}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "fusewick-replay ended with ${status}\n${err}")
endif()
if(NOT out MATCHES "ticks: ${TICKS}\n")
  message(FATAL_ERROR "the soak stopped before ${TICKS} ticks")
endif()
# The restless player goes through whole games: lost or quit, then new ones.
string(REGEX MATCH "games started: ([0-9]+)" _ "${out}")
if(NOT CMAKE_MATCH_1 OR CMAKE_MATCH_1 LESS 2)
  message(FATAL_ERROR "only '${CMAKE_MATCH_1}' games were started")
endif()
string(REGEX MATCH "most live sprites: ([0-9]+)" _ "${out}")
if(NOT CMAKE_MATCH_1 OR CMAKE_MATCH_1 GREATER ${LIMIT})
  message(FATAL_ERROR "live sprites reached '${CMAKE_MATCH_1}', above ${LIMIT}")
endif()
