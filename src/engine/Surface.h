#pragma once
// A drawing surface: a software RGB565 picture with an optional colour key.
// The display's back surface and every image pattern block are surfaces.
#include <cstdint>
#include <vector>

#include "engine/Picture.h"
#include "engine/Types.h"

namespace fusewick {

// RGB565 value of an 8-8-8 colour, as the 16-bit display stores it.
constexpr uint16_t RGB565(uint32_t r, uint32_t g, uint32_t b) {
  return uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}
// The 0x00RRGGBB pixel of a decoded picture as RGB565.
constexpr uint16_t PixelToRGB565(uint32_t rgb) { return RGB565((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }
// A colour value (0x00BBGGRR, or a system colour 0xFF0000nn) as 0x00RRGGBB.
uint32_t ColorToRGB(TColor c);

class TDirectDrawSurface {
 public:
  explicit TDirectDrawSurface(bool systemMemory = false) : SystemMemory(systemMemory) {}

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  TRect ClientRect() const { return {0, 0, width_, height_}; }
  bool Exists() const { return width_ > 0 && height_ > 0; }

  // W <= 0 or H <= 0 releases the surface; otherwise it is (re)made with
  // every pixel 0. Raises EDirectDrawSurfaceError "Surface cannot be made".
  void SetSize(int32_t w, int32_t h);

  // Copies a copy of the picture's rectangle (clipped to it) 1:1 into the
  // surface's top-left corner.
  void CopyFromPicture(const TDIB& picture, const TRect& rect);

  // Colour key for source copies (the pixel value not drawn).
  void SetColorKey(uint16_t key);
  uint16_t ColorKey() const { return colorKey_; }

  // Copies SrcRect of Source to (X, Y), clipped against both surfaces;
  // with Transparent, source pixels equal to its colour key are skipped.
  void Draw(int32_t x, int32_t y, TRect src, const TDirectDrawSurface* source, bool transparent);
  // Scales SrcRect of Source onto DestRect (nearest neighbour), clipped to
  // this surface.
  void StretchDraw(const TRect& dest, const TRect& src, const TDirectDrawSurface* source, bool transparent);
  // Makes now what a keyed draw of whole columns left .. right - 1 needs,
  // so that its first draw (during play) asks nothing of the heap.
  void PrepareKeyedDraw(int32_t left, int32_t right) const { SpansFor(left, right, true); }
  // Fills the whole surface with a raw pixel value.
  void Fill(uint32_t value);
  // The stored pixel value for a colour; 0 when the surface does not exist.
  uint16_t ColorMatch(TColor c) const;
  // Drawing goes straight to memory: there is no device context to release.
  void ReleaseCanvas() {}

  // Raw pixels, Width x Height, row after row (pitch = Width).
  const uint16_t* Pixels() const { return pixels_.data(); }
  uint16_t* MutablePixels() {
    spansValid_ = false;
    return pixels_.data();
  }
  uint16_t Pixel(int32_t x, int32_t y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }

  // Losing and restoring the surface's contents (a presenter's lost device).
  bool IsLost() const { return lost_; }
  void MarkLost() { lost_ = true; }
  bool Restore() {
    lost_ = false;
    return true;
  }

  bool SystemMemory = false;
  // Fill, Draw and StretchDraw into a blind surface do nothing, and a blind
  // back surface is not presented: a headless re-play that no one watches
  // skips the pixels (play never reads them).
  bool Blind = false;

 private:
  // Opaque runs of each row (for colour-keyed copies), built on first use.
  struct Span {
    uint16_t Start, Length;
  };
  // For one column range of the surface (a pattern's), each row's first
  // span that meets it and how many do.
  struct SpanRange {
    int32_t Left = 0, Right = 0;
    std::vector<uint32_t> First;
    std::vector<uint16_t> Count;
  };
  void BuildSpans() const;
  // Builds the spans when needed. Null for a clipped draw (partial columns
  // are not cached: a sprite sliding over the screen edge would make a new
  // range every frame) and when the cache is full.
  const SpanRange* SpansFor(int32_t left, int32_t right, bool wholeColumns) const;

  int32_t width_ = 0, height_ = 0;
  std::vector<uint16_t> pixels_;
  uint16_t colorKey_ = 0;
  bool lost_ = false;
  mutable bool spansValid_ = false;
  mutable std::vector<Span> spans_;
  mutable std::vector<uint32_t> rowSpans_;  // index of each row's first span; size Height + 1
  mutable std::vector<SpanRange> ranges_;   // built on first use, few per surface
};

}  // namespace fusewick
