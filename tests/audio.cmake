# The audio builder's code is tested in-process; its songs are played back
# with libxmp, an independent XM player.
target_link_libraries(fusewick-tests PRIVATE fusewick_audio)
if(NOT TARGET PkgConfig::LIBXMP)
  pkg_check_modules(LIBXMP REQUIRED IMPORTED_TARGET libxmp)
endif()
target_link_libraries(fusewick-tests PRIVATE PkgConfig::LIBXMP)
# Where the build put the builder's own output, to compare against.
target_compile_definitions(fusewick-tests PRIVATE FUSEWICK_AUDIO_OUT="${CMAKE_BINARY_DIR}/assets/audio")
