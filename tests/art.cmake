# The picture catalogue of the asset builder (tools/art) is tested with the
# game's tests: the pictures themselves, and, once the image lists can load
# archives, the built Data/Res/*.dxg walked with the game's own loader.
if(TARGET fusewick_art)
  target_link_libraries(fusewick-tests PRIVATE fusewick_art)
  set(_art_has_loader FALSE)
  file(GLOB_RECURSE _art_engine_sources ${CMAKE_SOURCE_DIR}/src/engine/*.cpp)
  foreach(_src ${_art_engine_sources})
    file(STRINGS ${_src} _hits REGEX "TPictureCollection::LoadFromFile")
    if(_hits)
      set(_art_has_loader TRUE)
    endif()
  endforeach()
  if(_art_has_loader)
    target_sources(fusewick-tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/art/art_archive_test.cpp)
  endif()
endif()
