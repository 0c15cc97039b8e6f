#pragma once
// The game's icon for its window (title bar, task bar, window switcher):
// the application icon, drawn at build time and compiled in.
#include <cstdint>

namespace fusewick::platform {

struct WindowIconImage {
  int Size = 0;                      // width and height, pixels
  const uint32_t* Pixels = nullptr;  // Size x Size, 0xAARRGGBB, straight alpha, rows top to bottom
};

WindowIconImage WindowIcon();

}  // namespace fusewick::platform
