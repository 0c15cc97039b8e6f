#include "engine/Surface.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/Errors.h"

namespace fusewick {

namespace {
// Fixed RGB values for the desktop's system colours (0xFF0000nn), in the
// game's own palette: a neutral grey desktop with blue highlights.
constexpr uint32_t kSystemColors[31] = {
    0xC8C8C8,  // scroll bar
    0x3A6EA5,  // desktop background
    0x0A246A,  // active caption
    0x808080,  // inactive caption
    0xD4D0C8,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xD4D0C8,  // active border
    0xD4D0C8,  // inactive border
    0x808080,  // application workspace
    0x0A246A,  // highlight
    0xFFFFFF,  // highlight text
    0xD4D0C8,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xD4D0C8,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x404040,  // 3D dark shadow
    0xD4D0C8,  // 3D light
    0x000000,  // info text
    0xFFFFE1,  // info background
    0xB5B5B5,  // (unused number 25)
    0x0000FF,  // hot light
    0xA6CAF0,  // gradient active caption
    0xC0C0C0,  // gradient inactive caption
    0x316AC5,  // menu highlight
    0xD4D0C8,  // menu bar
};
}  // namespace

uint32_t ColorToRGB(TColor c) {
  if ((c & 0xFF000000u) == 0xFF000000u) {
    uint32_t n = c & 0xFF;
    return n < 31 ? kSystemColors[n] : 0;
  }
  return (uint32_t(ColorRed(c)) << 16) | (uint32_t(ColorGreen(c)) << 8) | ColorBlue(c);
}

void TDirectDrawSurface::SetSize(int32_t w, int32_t h) {
  spansValid_ = false;
  if (w <= 0 || h <= 0) {
    width_ = height_ = 0;
    pixels_.clear();
    pixels_.shrink_to_fit();
    return;
  }
  // A surface as large as a display mode can be is plenty; refuse absurd
  // sizes instead of trying to allocate them.
  constexpr int32_t kMaxSide = 16384;
  if (w > kMaxSide || h > kMaxSide) throw EDirectDrawSurfaceError(Format("%s cannot be made", std::string("Surface")));
  width_ = w;
  height_ = h;
  pixels_.assign(size_t(w) * size_t(h), 0);
  lost_ = false;
}

void TDirectDrawSurface::CopyFromPicture(const TDIB& picture, const TRect& rect) {
  spansValid_ = false;
  int32_t x0 = std::max(rect.Left, 0), y0 = std::max(rect.Top, 0);
  int32_t x1 = std::min({rect.Right, picture.Width, x0 + width_});
  int32_t y1 = std::min({rect.Bottom, picture.Height, y0 + height_});
  for (int32_t y = y0; y < y1; ++y) {
    uint16_t* dst = &pixels_[size_t(y - y0) * size_t(width_)];
    const uint32_t* src = &picture.Pixels[size_t(y) * size_t(picture.Width)];
    for (int32_t x = x0; x < x1; ++x) dst[x - x0] = PixelToRGB565(src[x]);
  }
}

void TDirectDrawSurface::SetColorKey(uint16_t key) {
  if (key != colorKey_) spansValid_ = false;
  colorKey_ = key;
}

uint16_t TDirectDrawSurface::ColorMatch(TColor c) const {
  if (!Exists()) return 0;
  return PixelToRGB565(ColorToRGB(c));
}

void TDirectDrawSurface::Fill(uint32_t value) {
  spansValid_ = false;
  std::fill(pixels_.begin(), pixels_.end(), uint16_t(value));
}

void TDirectDrawSurface::BuildSpans() const {
  spans_.clear();
  rowSpans_.assign(size_t(height_) + 1, 0);
  for (int32_t y = 0; y < height_; ++y) {
    rowSpans_[size_t(y)] = uint32_t(spans_.size());
    const uint16_t* row = &pixels_[size_t(y) * size_t(width_)];
    int32_t x = 0;
    while (x < width_) {
      while (x < width_ && row[x] == colorKey_) ++x;
      int32_t start = x;
      while (x < width_ && row[x] != colorKey_) ++x;
      // Runs are split at 65535 pixels so that they fit the span fields.
      for (int32_t s = start; s < x; s += 65535)
        spans_.push_back({uint16_t(s), uint16_t(std::min(x - s, 65535))});
    }
  }
  rowSpans_[size_t(height_)] = uint32_t(spans_.size());
  spansValid_ = true;
}

void TDirectDrawSurface::Draw(int32_t x, int32_t y, TRect s, const TDirectDrawSurface* source, bool transparent) {
  if (!source || x > width_ || y > height_) return;
  TRect d{x, y, x + s.Width(), y + s.Height()};
  // Clip destination and source together.
  if (d.Left < 0) { s.Left -= d.Left; d.Left = 0; }
  if (d.Top < 0) { s.Top -= d.Top; d.Top = 0; }
  if (s.Left < 0) { d.Left -= s.Left; s.Left = 0; }
  if (s.Top < 0) { d.Top -= s.Top; s.Top = 0; }
  if (d.Right > width_) { s.Right -= d.Right - width_; d.Right = width_; }
  if (d.Bottom > height_) { s.Bottom -= d.Bottom - height_; d.Bottom = height_; }
  if (s.Right > source->width_) { d.Right -= s.Right - source->width_; s.Right = source->width_; }
  if (s.Bottom > source->height_) { d.Bottom -= s.Bottom - source->height_; s.Bottom = source->height_; }
  if (d.Empty() || s.Empty()) return;
  // The copy lands at D's top-left corner with the smaller of the two sizes.
  const int32_t w = std::min(d.Width(), s.Width()), h = std::min(d.Height(), s.Height());
  spansValid_ = false;
  const size_t dpitch = size_t(width_), spitch = size_t(source->width_);
  uint16_t* dst = &pixels_[size_t(d.Top) * dpitch + size_t(d.Left)];
  if (!transparent) {
    const uint16_t* src = &source->pixels_[size_t(s.Top) * spitch + size_t(s.Left)];
    for (int32_t row = 0; row < h; ++row, dst += dpitch, src += spitch) std::memcpy(dst, src, size_t(w) * 2);
    return;
  }
  if (!source->spansValid_) source->BuildSpans();
  const int32_t sx0 = s.Left, sx1 = s.Left + w;
  for (int32_t row = 0; row < h; ++row, dst += dpitch) {
    const int32_t sy = s.Top + row;
    const uint16_t* srow = &source->pixels_[size_t(sy) * spitch];
    const Span* sp = &source->spans_[source->rowSpans_[size_t(sy)]];
    const Span* end = &source->spans_[0] + source->rowSpans_[size_t(sy) + 1];
    for (; sp != end; ++sp) {
      int32_t a = sp->Start, b = sp->Start + sp->Length;
      if (b <= sx0) continue;
      if (a >= sx1) break;
      if (a < sx0) a = sx0;
      if (b > sx1) b = sx1;
      std::memcpy(dst + (a - sx0), srow + a, size_t(b - a) * 2);
    }
  }
}

void TDirectDrawSurface::StretchDraw(const TRect& dest, const TRect& src, const TDirectDrawSurface* source,
                                     bool transparent) {
  if (!source || dest.Empty() || src.Empty()) return;
  // Source rectangle limited to the source surface.
  if (src.Left < 0 || src.Top < 0 || src.Right > source->width_ || src.Bottom > source->height_) return;
  const int32_t dw = dest.Width(), dh = dest.Height();
  const int32_t x0 = std::max(dest.Left, 0), x1 = std::min(dest.Right, width_);
  const int32_t y0 = std::max(dest.Top, 0), y1 = std::min(dest.Bottom, height_);
  if (x0 >= x1 || y0 >= y1) return;
  spansValid_ = false;
  // 16.16 fixed-point steps through the source, sampling pixel centres.
  const int64_t stepX = (int64_t(src.Width()) << 16) / dw;
  const int64_t stepY = (int64_t(src.Height()) << 16) / dh;
  const uint16_t key = source->colorKey_;
  for (int32_t y = y0; y < y1; ++y) {
    const int64_t fy = (int64_t(y - dest.Top) * stepY) + (stepY >> 1);
    const int32_t sy = src.Top + int32_t(std::min<int64_t>(fy >> 16, src.Height() - 1));
    const uint16_t* srow = &source->pixels_[size_t(sy) * size_t(source->width_)];
    uint16_t* drow = &pixels_[size_t(y) * size_t(width_)];
    int64_t fx = int64_t(x0 - dest.Left) * stepX + (stepX >> 1);
    for (int32_t x = x0; x < x1; ++x, fx += stepX) {
      const int32_t sx = src.Left + int32_t(std::min<int64_t>(fx >> 16, src.Width() - 1));
      const uint16_t p = srow[sx];
      if (!transparent || p != key) drow[x] = p;
    }
  }
}

}  // namespace fusewick
