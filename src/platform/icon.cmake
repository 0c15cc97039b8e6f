# The window's icon is compiled into the game, so that it goes wherever the
# game goes: the art tool draws it (tools/art, target art-icons) as C++ data
# in the build folder, which WindowIcon.cpp includes.
target_include_directories(fusewick_core PRIVATE ${CMAKE_BINARY_DIR}/assets/icons)
add_dependencies(fusewick_core art-icons)
