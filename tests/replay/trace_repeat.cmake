# Runs the built replay runner twice with the same seed and script and
# fails unless the two traces are the same bytes. Called by CTest with
# REPLAY (the executable) and WORK (a scratch folder).
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/walk.txt "70 +Right\n100 +Up\n101 -Up\n160 -Right\n160 +Left\n200 +Up\n215 -Up\n260 +Fire\n261 -Fire\n")
foreach(run a b)
  execute_process(
    COMMAND ${REPLAY} --seed 9 --start game --level 3 --ticks 400 --script ${WORK}/walk.txt --trace ${WORK}/${run}.jsonl
    RESULT_VARIABLE status
    TIMEOUT 240)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "fusewick-replay run ${run} ended with ${status}")
  endif()
endforeach()
file(SHA256 ${WORK}/a.jsonl a)
file(SHA256 ${WORK}/b.jsonl b)
file(STRINGS ${WORK}/a.jsonl lines)
list(LENGTH lines count)
if(NOT count EQUAL 400)
  message(FATAL_ERROR "the trace has ${count} lines, not 400")
endif()
if(NOT a STREQUAL b)
  message(FATAL_ERROR "two runs with the same seed and script wrote different traces")
endif()
