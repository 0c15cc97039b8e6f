#include "engine/Surface.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/Errors.h"

namespace fusewick {

namespace {
// Copies n pixels. Runs of sprite rows are short: fixed-size chunks,
// inline, beat a call to memcpy for them.
inline void CopyPixels(uint16_t* dst, const uint16_t* src, int32_t n) {
  if (n >= 8) {
    // 16-byte chunks; the last one ends exactly at the run's end and may
    // overlap the one before (source and destination never overlap).
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) std::memcpy(dst + i, src + i, 16);
    if (i < n) std::memcpy(dst + n - 8, src + n - 8, 16);
  } else if (n >= 4) {
    std::memcpy(dst, src, 8);
    std::memcpy(dst + n - 4, src + n - 4, 8);
  } else {
    for (int32_t i = 0; i < n; ++i) dst[i] = src[i];
  }
}

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
  if (Blind) return;
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
      for (int32_t s = start; s < x; s += 65535) spans_.push_back({uint16_t(s), uint16_t(std::min(x - s, 65535))});
    }
  }
  rowSpans_[size_t(height_)] = uint32_t(spans_.size());
  ranges_.clear();
  spansValid_ = true;
}

void TDirectDrawSurface::Draw(int32_t x, int32_t y, TRect s, const TDirectDrawSurface* source, bool transparent) {
  if (Blind) return;
  if (!source || x > width_ || y > height_) return;
  const int32_t askedLeft = s.Left, askedRight = s.Right;
  TRect d{x, y, x + s.Width(), y + s.Height()};
  // Clip destination and source together.
  if (d.Left < 0) {
    s.Left -= d.Left;
    d.Left = 0;
  }
  if (d.Top < 0) {
    s.Top -= d.Top;
    d.Top = 0;
  }
  if (s.Left < 0) {
    d.Left -= s.Left;
    s.Left = 0;
  }
  if (s.Top < 0) {
    d.Top -= s.Top;
    s.Top = 0;
  }
  if (d.Right > width_) {
    s.Right -= d.Right - width_;
    d.Right = width_;
  }
  if (d.Bottom > height_) {
    s.Bottom -= d.Bottom - height_;
    d.Bottom = height_;
  }
  if (s.Right > source->width_) {
    d.Right -= s.Right - source->width_;
    s.Right = source->width_;
  }
  if (s.Bottom > source->height_) {
    d.Bottom -= s.Bottom - source->height_;
    s.Bottom = source->height_;
  }
  if (d.Empty() || s.Empty()) return;
  // The copy lands at D's top-left corner with the smaller of the two sizes.
  const int32_t w = std::min(d.Width(), s.Width()), h = std::min(d.Height(), s.Height());
  spansValid_ = false;
  const size_t dpitch = size_t(width_), spitch = size_t(source->width_);
  uint16_t* dst = &pixels_[size_t(d.Top) * dpitch + size_t(d.Left)];
  if (!transparent) {
    const uint16_t* src = &source->pixels_[size_t(s.Top) * spitch + size_t(s.Left)];
    for (int32_t row = 0; row < h; ++row, dst += dpitch, src += spitch) CopyPixels(dst, src, w);
    return;
  }
  const int32_t sx0 = s.Left, sx1 = s.Left + w;
  const SpanRange* range = source->SpansFor(sx0, sx1, sx0 == askedLeft && sx1 == askedRight);
  const Span* spans = source->spans_.data();
  auto copyRun = [&](uint16_t* drow, const uint16_t* srow, const Span& sp) {
    const int32_t a = sp.Start < sx0 ? sx0 : sp.Start;
    const int32_t e = sp.Start + sp.Length;
    const int32_t b = e > sx1 ? sx1 : e;
    CopyPixels(drow + (a - sx0), srow + a, b - a);
  };
  if (range) {
    // The usual case, a whole pattern's columns: only the runs that meet them.
    for (int32_t row = 0; row < h; ++row, dst += dpitch) {
      const int32_t sy = s.Top + row;
      const uint16_t* srow = &source->pixels_[size_t(sy) * spitch];
      const Span* sp = spans + range->First[size_t(sy)];
      for (const Span* end = sp + range->Count[size_t(sy)]; sp != end; ++sp) copyRun(dst, srow, *sp);
    }
    return;
  }
  for (int32_t row = 0; row < h; ++row, dst += dpitch) {
    const int32_t sy = s.Top + row;
    const uint16_t* srow = &source->pixels_[size_t(sy) * spitch];
    for (uint32_t i = source->rowSpans_[size_t(sy)], end = source->rowSpans_[size_t(sy) + 1]; i < end; ++i) {
      const Span& sp = spans[i];
      if (sp.Start + sp.Length <= sx0) continue;
      if (sp.Start >= sx1) break;
      copyRun(dst, srow, sp);
    }
  }
}

const TDirectDrawSurface::SpanRange* TDirectDrawSurface::SpansFor(int32_t left, int32_t right,
                                                                  bool wholeColumns) const {
  if (!spansValid_) BuildSpans();
  if (!wholeColumns) return nullptr;
  for (const SpanRange& r : ranges_)
    if (r.Left == left && r.Right == right) return &r;
  // A pattern block has few column ranges; draws of other ranges take the
  // plain path instead of filling the cache.
  constexpr size_t kMaxRanges = 32;
  if (ranges_.size() >= kMaxRanges) return nullptr;
  // Per row, the opaque runs that meet columns left .. right - 1.
  SpanRange r;
  r.Left = left;
  r.Right = right;
  r.First.resize(size_t(height_));
  r.Count.resize(size_t(height_));
  for (int32_t y = 0; y < height_; ++y) {
    uint32_t i = rowSpans_[size_t(y)];
    const uint32_t end = rowSpans_[size_t(y) + 1];
    while (i < end && spans_[i].Start + spans_[i].Length <= left) ++i;
    uint32_t j = i;
    while (j < end && spans_[j].Start < right) ++j;
    r.First[size_t(y)] = i;
    r.Count[size_t(y)] = uint16_t(j - i);
  }
  ranges_.push_back(std::move(r));
  return &ranges_.back();
}

void TDirectDrawSurface::StretchDraw(const TRect& dest, const TRect& src, const TDirectDrawSurface* source,
                                     bool transparent) {
  if (Blind) return;
  if (!source || dest.Empty() || src.Empty()) return;
  // Source rectangle limited to the source surface.
  if (src.Left < 0 || src.Top < 0 || src.Right > source->width_ || src.Bottom > source->height_) return;
  const int32_t dw = dest.Width(), dh = dest.Height();
  // At its own size every pixel maps to itself: the plain copy, run by run.
  if (dw == src.Width() && dh == src.Height()) return Draw(dest.Left, dest.Top, src, source, transparent);
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
