# The online tests link the score server's code and start its binary.
target_link_libraries(fusewick-tests PRIVATE fusewick_scores_lib)
add_dependencies(fusewick-tests fusewick-scores)
target_compile_definitions(fusewick-tests PRIVATE FUSEWICK_SCORES_BIN="$<TARGET_FILE:fusewick-scores>")
