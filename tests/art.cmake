# The picture catalogue of the asset builder (tools/art) is tested with the
# game's tests: the pictures themselves, and the built Data/Res/*.dxg walked
# with the game's own loader.
if(NOT TARGET fusewick_art OR NOT TARGET art-images)
  message(FATAL_ERROR "tests: the picture builder (tools/art) must be configured before the tests")
endif()
target_link_libraries(fusewick-tests PRIVATE fusewick_art)
target_sources(fusewick-tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/art/art_archive_test.cpp)
