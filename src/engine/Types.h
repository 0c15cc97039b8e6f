#pragma once
// Small value types shared by the engine and the game.
#include <cmath>
#include <cstdint>

namespace fusewick {

// A rectangle in pixels; Right and Bottom are exclusive.
struct TRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  constexpr int32_t Width() const { return Right - Left; }
  constexpr int32_t Height() const { return Bottom - Top; }
  constexpr bool Empty() const { return Left >= Right || Top >= Bottom; }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Bounds(int32_t x, int32_t y, int32_t w, int32_t h) { return {x, y, x + w, y + h}; }

// Strict overlap: rectangles that only touch at an edge do not overlap.
constexpr bool Overlap(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// A colour as the archives store it: 0x00BBGGRR (red in the low byte), or
// 0xFF0000nn for the desktop's system colour number nn.
using TColor = uint32_t;

constexpr uint8_t ColorRed(TColor c) { return c & 0xFF; }
constexpr uint8_t ColorGreen(TColor c) { return (c >> 8) & 0xFF; }
constexpr uint8_t ColorBlue(TColor c) { return (c >> 16) & 0xFF; }
constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) { return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16); }

// The screen, px: the display's back surface and the game's whole world.
constexpr int32_t kScreenWidth = 800;
constexpr int32_t kScreenHeight = 600;

// Drawing layers (sprite Z), back to front.
constexpr int32_t kZBackground = 2;  // menu and level backgrounds
constexpr int32_t kZScenery = 3;     // walls and clouds
constexpr int32_t kZPlatforms = 4;   // platforms, items and the ground strip: behind the hero
constexpr int32_t kZHero = 5;        // the hero, the walkers, bomb and dynamite blasts
constexpr int32_t kZFliers = 6;      // flying monsters, bullets, captions
constexpr int32_t kZFront = 7;       // menu buttons, message windows, the text cursor, the bonus slot

// An integral double as int32_t, held to the type's range and NaN read as 0:
// a plain conversion out of range is undefined, and machines differ on it
// (x86-64 gives INT32_MIN, arm64 saturates).
inline int32_t SaturateToInt32(double v) {
  if (v != v) return 0;
  if (v <= double(INT32_MIN)) return INT32_MIN;
  if (v >= double(INT32_MAX)) return INT32_MAX;
  return static_cast<int32_t>(v);
}

// Rounding to the nearest integer, ties to even, as scaled sizes and drawn
// rectangles are rounded.
inline int32_t RoundEven(double v) { return SaturateToInt32(std::nearbyint(v)); }

// Truncation toward zero, as the game's position arithmetic uses it.
inline int32_t Trunc(double v) { return SaturateToInt32(std::trunc(v)); }

// 64-bit product, quotient rounded half away from zero.
inline int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator) {
  if (denominator == 0) return -1;
  int64_t p = int64_t(number) * numerator;
  int64_t d = denominator;
  bool neg = (p < 0) != (d < 0);
  uint64_t ap = p < 0 ? uint64_t(-p) : uint64_t(p);
  uint64_t ad = d < 0 ? uint64_t(-d) : uint64_t(d);
  uint64_t q = (ap + ad / 2) / ad;
  return neg ? -int32_t(q) : int32_t(q);
}

}  // namespace fusewick
