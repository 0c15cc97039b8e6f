#pragma once
// A decoded picture: the graphic an image item is cut from. Archives store
// device-independent bitmaps ("TDIB"); the reader decodes them into this.
#include <cstdint>
#include <memory>
#include <vector>

namespace fusewick {

struct TDIB {
  int32_t Width = 0;
  int32_t Height = 0;
  // Width x Height pixels, top row first, each 0x00RRGGBB.
  std::vector<uint32_t> Pixels;

  TDIB() = default;
  TDIB(int32_t w, int32_t h, uint32_t fill = 0)
      : Width(w), Height(h), Pixels(size_t(w > 0 ? w : 0) * size_t(h > 0 ? h : 0), fill) {}
  bool Empty() const { return Width <= 0 || Height <= 0; }
  uint32_t& At(int32_t x, int32_t y) { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
  uint32_t At(int32_t x, int32_t y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
};

using PictureRef = std::shared_ptr<const TDIB>;

}  // namespace fusewick
