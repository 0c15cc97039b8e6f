# The world high-score server's tests: an executable of their own (the
# server's code and the game's online client, which talks to the real
# server), and runs of the load tool against the built server.
add_executable(fusewick-scores-tests ${CMAKE_CURRENT_SOURCE_DIR}/scores/server_test.cpp
               ${CMAKE_CURRENT_SOURCE_DIR}/test_environment.cpp)
target_link_libraries(fusewick-scores-tests PRIVATE fusewick_scores_lib fusewick_core fusewick_warnings
                      GTest::gtest GTest::gmock GTest::gtest_main)
target_include_directories(fusewick-scores-tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
add_dependencies(fusewick-scores-tests fusewick-scores fusewick-replay)
target_compile_definitions(fusewick-scores-tests PRIVATE FUSEWICK_SCORES_BIN="$<TARGET_FILE:fusewick-scores>"
                           FUSEWICK_REPLAY_BIN="$<TARGET_FILE:fusewick-replay>"
                           FUSEWICK_TESTS_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
gtest_discover_tests(fusewick-scores-tests WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} DISCOVERY_TIMEOUT 60)

set(scores_load ${CMAKE_SOURCE_DIR}/tools/scores/load)
set(scores_env "ASAN_OPTIONS=detect_leaks=0")
# 64 connections that trickle a byte every 2 s, and a player from another
# address who gets through.
add_test(NAME ScoresSlowClientsDoNotStarvePlayers
         COMMAND bash ${scores_load}/slow-clients.sh $<TARGET_FILE:fusewick-scores> $<TARGET_FILE:fusewick-scores-load>
                 64 6 3)
# One address floods, another still gets through; the flooder sees 429.
add_test(NAME ScoresRateLimitsOneAddress
         COMMAND bash ${scores_load}/rate-limits.sh $<TARGET_FILE:fusewick-scores> $<TARGET_FILE:fusewick-scores-load> 4)
# kill -9 during a flood loses no acknowledged submission.
add_test(NAME ScoresKillDuringFloodLosesNothing
         COMMAND bash ${scores_load}/kill-flood.sh $<TARGET_FILE:fusewick-scores> $<TARGET_FILE:fusewick-scores-load> sqlite 3)
# A scripted game submitted, uploaded, verified by the real replay runner and
# served back; forged results offered its recording are refused.
add_test(NAME ScoresVerifiedGameEndToEnd
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scores/verified-game.sh $<TARGET_FILE:fusewick-scores>
                 $<TARGET_FILE:fusewick-replay> ${CMAKE_BINARY_DIR}/Data $<TARGET_FILE:fusewick-scores-load>)
set_tests_properties(ScoresSlowClientsDoNotStarvePlayers ScoresVerifiedGameEndToEnd ScoresRateLimitsOneAddress ScoresKillDuringFloodLosesNothing
                     PROPERTIES TIMEOUT 300 ENVIRONMENT "${scores_env}" RUN_SERIAL ON)

# PostgreSQL: a throw-away server (initdb and pg_ctl in a temporary folder, as
# an unprivileged user) for the store's tests on that backend, two server
# processes on one database, and kill -9 during a flood. Skipped, with a
# message, only when PostgreSQL cannot be started.
set(with_pg bash ${scores_load}/with-postgres.sh)
add_test(NAME ScoresPostgresStore
         COMMAND ${with_pg} $<TARGET_FILE:fusewick-scores-tests> --gtest_filter=*/postgresql)
add_test(NAME ScoresPostgresTwoProcessesOneDatabase
         COMMAND ${with_pg} bash ${scores_load}/two-processes.sh $<TARGET_FILE:fusewick-scores>
                 $<TARGET_FILE:fusewick-scores-load> @PG@ 4)
add_test(NAME ScoresPostgresKillDuringFloodLosesNothing
         COMMAND ${with_pg} bash ${scores_load}/kill-flood.sh $<TARGET_FILE:fusewick-scores>
                 $<TARGET_FILE:fusewick-scores-load> @PG@ 3)
set_tests_properties(ScoresPostgresStore ScoresPostgresTwoProcessesOneDatabase ScoresPostgresKillDuringFloodLosesNothing
                     PROPERTIES TIMEOUT 300 ENVIRONMENT "${scores_env}" RUN_SERIAL ON SKIP_RETURN_CODE 77)
