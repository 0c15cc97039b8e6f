#pragma once
// Text in the game's pictures: the four bitmap fonts (one glyph per cell,
// fitted to the game's own glyph widths) and the labels drawn on
// buttons, panels and help pages.
#include <cairo.h>

#include <array>
#include <cstdint>
#include <string>

#include "services/Glyphs.h"

namespace fusewick::art {

// The big font's glyphs sit this many columns closer than its widths say.
constexpr int kWideExtra = int(kWideCell * kBigFontTighten);

// Glyph ink of every font stays inside [0, InkLimit) of its cell: the
// advance less the blank column(s) that keep neighbours apart.
int InkLimit(bool wide, int code);

enum class Face { Bold, Condensed };
// Cairo font faces loaded from the Debian DejaVu fonts; throws when a font
// file is missing.
cairo_font_face_t* FontFace(Face face);
// Frees the faces (before Cairo's static data is reset).
void ReleaseFonts();

struct GlyphStyle {
  double CapHeight;  // height of the capitals in pixels
  double Top;        // y of the capitals' top in the cell
  double Outline;    // outline width outside the letter, pixels
  uint32_t FillTop, FillBottom, Line;
  uint32_t Shine = 0;  // a thin highlight line inside the top, 0 = none
};

// Draws the glyph of one bitmap-font character into a cell whose left edge
// is x = 0: fitted between column 0 and inkLimit, capitals from style.Top.
void DrawGlyph(cairo_t* cr, int code, double inkLimit, const GlyphStyle& style);

enum class Align { Left, Centre, Right };
struct LabelStyle {
  Face FontFace = Face::Bold;
  double Size = 16;    // em size in pixels
  double Outline = 2;  // outline width outside the letters
  uint32_t FillTop = 0xFFFFFF, FillBottom = 0xFFFFFF, Line = 0x1A1024;
  double Squeeze = 1.0;  // horizontal scale
};
// Width of a label in pixels (ink advance, without the outline).
double LabelWidth(cairo_t* cr, const std::string& text, const LabelStyle& style);
// Draws a label with its baseline at y.
void DrawLabel(cairo_t* cr, const std::string& text, double x, double y, Align align, const LabelStyle& style);
// Draws a label no wider than maxWidth (squeezed horizontally if needed).
void DrawLabelFit(cairo_t* cr, const std::string& text, double x, double y, Align align, LabelStyle style,
                  double maxWidth);

}  // namespace fusewick::art
