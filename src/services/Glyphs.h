#pragma once
// The bitmap fonts' metrics and the text pen: which characters have a
// glyph, how wide each glyph is, how far a character moves the pen, where a
// right-aligned number starts and where the text cursor goes. Plain
// constexpr data and arithmetic with no dependencies: the game's text
// drawing, the art tool that draws the fonts, its previews and the tests
// all use this one copy.
#include <array>
#include <cstdint>
#include <string_view>

#include "services/AssetNames.h"

namespace fusewick {

// The fonts' images by font number; the glyph of character code c is
// pattern c - kFirstGlyphCode of the image.
inline constexpr std::array<const char*, 4> kFontImages = {"Font_small", "Font_medium_inactive", "Font_medium_active",
                                                           "Font_big"};
static_assert([] {
  for (const char* image : kFontImages)
    if (ImageNameIndex(image) < 0) return false;
  return true;
}());
inline constexpr uint8_t kBigFont = 3;  // the only font with the wide widths

inline constexpr int32_t kFirstGlyphCode = 47;  // '/'
inline constexpr int32_t kLastGlyphCode = 90;   // 'Z'
inline constexpr int32_t kGlyphCount = kLastGlyphCode - kFirstGlyphCode + 1;

// Right-edge column of each glyph in the font strips the glyphs were cut
// from, by glyph number 1 .. 44: cells of 24 pixels for the narrow fonts
// and 40 for the big one.
inline constexpr int32_t kNarrowCell = 24;
inline constexpr int32_t kWideCell = 40;
inline constexpr std::array<int32_t, kGlyphCount> kNarrowRightEdges = {
    10,  36,  58,  85,  108, 133, 157, 180, 205, 228, 252, 271, 294, 326, 350, 374, 397, 421, 448, 471, 495,  519,
    542, 565, 592, 614, 631, 660, 688, 709, 738, 758, 784, 806, 833, 855, 878, 902, 927, 952, 981, 999, 1024, 1046};
inline constexpr std::array<int32_t, kGlyphCount> kWideRightEdges = {
    10,   55,   92,   136,  175,  217,  256,  296,  336,  375,  415,  448,  487,  537,  577,
    617,  657,  691,  740,  779,  820,  859,  898,  937,  981,  1019, 1047, 1095, 1140, 1176,
    1222, 1258, 1301, 1338, 1382, 1420, 1457, 1498, 1539, 1581, 1628, 1659, 1700, 1738};

// Advance widths by glyph number 1 .. 44 (index 0 unused).
using GlyphWidths = std::array<int32_t, kGlyphCount + 1>;

// Width of glyph j = its right edge - cell x (j - 1) + 1.
constexpr GlyphWidths WidthsFromRightEdges(const std::array<int32_t, kGlyphCount>& edges, int32_t cell) {
  GlyphWidths widths{};
  for (int32_t j = 1; j <= kGlyphCount; ++j) widths[size_t(j)] = edges[size_t(j - 1)] - cell * (j - 1) + 1;
  return widths;
}
// Fonts 0 to 2 share the narrow widths, the big font has the wide ones.
inline constexpr GlyphWidths kNarrowGlyphWidths = WidthsFromRightEdges(kNarrowRightEdges, kNarrowCell);
inline constexpr GlyphWidths kWideGlyphWidths = WidthsFromRightEdges(kWideRightEdges, kWideCell);

constexpr bool HasGlyph(int32_t code) { return code >= kFirstGlyphCode && code <= kLastGlyphCode; }
// Glyph number of a character code: 1 for '/', 44 for 'Z' (a space gives -14).
constexpr int32_t GlyphNumber(int32_t code) { return code - (kFirstGlyphCode - 1); }
// Advance width of a character that has a glyph.
constexpr int32_t GlyphWidth(bool wide, int32_t code) {
  return (wide ? kWideGlyphWidths : kNarrowGlyphWidths)[size_t(GlyphNumber(code))];
}

// A space moves the pen by a fifth of the font's cell; the big font's
// glyphs sit a twentieth of a cell closer together.
inline constexpr double kSpaceAdvance = 0.2;
inline constexpr double kBigFontTighten = 0.05;

// Pen positions are truncated toward zero after every step.
constexpr int32_t PenTrunc(double v) { return static_cast<int32_t>(v); }
// The pen after a space, in a font whose image patterns are cellWidth wide.
constexpr int32_t PenAfterSpace(int32_t pen, int32_t cellWidth) { return PenTrunc(pen + cellWidth * kSpaceAdvance); }
// What every glyph adds to its width: the big font's tightening, else 0.
constexpr double GlyphExtra(bool big, int32_t cellWidth) { return big ? -double(cellWidth) * kBigFontTighten : 0.0; }

// Where a text run ended: the pen after the last character drawn and that
// character's code (0 when nothing was drawn, for an empty text).
struct PenEnd {
  int32_t Pen = 0;
  int32_t LastCode = 0;
};

// Walks a text the way the game draws it from pen x: a NUL ends it, a space
// moves the pen, a glyph is drawn at the pen (drawGlyph(code, pen)) and moves
// it by its width from `widths` plus the font's extra; any other character
// draws nothing and leaves the pen where it is.
template <typename DrawGlyph>
constexpr PenEnd WalkText(std::string_view text, int32_t x, int32_t cellWidth, bool big, const GlyphWidths& widths,
                          DrawGlyph&& drawGlyph) {
  const double extra = GlyphExtra(big, cellWidth);
  PenEnd end{x, 0};
  for (const char ch : text) {
    const int32_t code = uint8_t(ch);
    if (code == 0) break;
    if (code == ' ') {
      end.Pen = PenAfterSpace(end.Pen, cellWidth);
    } else if (HasGlyph(code)) {
      drawGlyph(code, end.Pen);
      end.Pen = PenTrunc(end.Pen + widths[size_t(GlyphNumber(code))] + extra);
    } else {
      continue;
    }
    end.LastCode = code;
  }
  return end;
}

// How many of 9, 99, 999, 9999, 99999 n exceeds.
constexpr int32_t ExtraDigits(int32_t n) {
  int32_t e = 0;
  for (int32_t t : {9, 99, 999, 9999, 99999})
    if (n > t) ++e;
  return e;
}
// Left X of a number right-aligned on baseX: a step per extra digit.
constexpr int32_t RightAlignedX(int32_t n, int32_t baseX, int32_t step) { return baseX - step * ExtraDigits(n); }

// The text cursor sits under the last character drawn, centred on that
// glyph's width: its left X for a text whose pen ended at textEnd.
constexpr double CursorLeft(int32_t textEnd, double glyphWidth, double cursorWidth) {
  return textEnd + 2 - glyphWidth - (cursorWidth - glyphWidth) / 2;
}

}  // namespace fusewick
