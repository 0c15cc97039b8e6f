# fusewick-archive as a maintainer uses it: round trips, bitmaps written by
# ImageMagick, refused input. Skipped (77) where ImageMagick is missing.
if(TARGET fusewick-archive)
  foreach(mode roundtrip bmp errors)
    add_test(NAME archive_tool_${mode}
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/archive_tool_test.sh $<TARGET_FILE:fusewick-archive>
              ${CMAKE_CURRENT_BINARY_DIR}/archive-tool-${mode} ${mode})
    set_tests_properties(archive_tool_${mode} PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)
  endforeach()
endif()
