// The application icon: the game's bomb with a burning fuse on a tile of
// the menu's night sky. Drawn on a 256-unit square and scaled to the size
// asked for, with alpha (the desktop lays it over its own background).
#include <cmath>

#include "draw.h"
#include "paint.h"

namespace fusewick::art {

namespace {

// The fuse from the bomb's neck to the flame, as one curve.
void FusePath(cairo_t* cr) {
  cairo_move_to(cr, 176, 86);
  cairo_curve_to(cr, 184, 70, 202, 70, 195, 48);
}

}  // namespace

void DrawIcon(cairo_t* cr, int size) {
  cairo_save(cr);
  cairo_scale(cr, size / 256.0, size / 256.0);

  // The tile: the menu's sky from deep blue to dusk purple, a few stars.
  RoundRect(cr, 12, 12, 232, 232, 44);
  FillStrokeV(cr, 12, 244, 0x120E3A, 0x6A2A78, kInk, 6);
  Rng rng(2024);
  for (int i = 0; i < 9; ++i) {
    double x = rng.Uniform(34, 222), y = rng.Uniform(30, 120);
    if (x > 120 && y > 40) continue;  // keep the flame's corner clear
    Star(cr, x, y, rng.Uniform(3, 6), 1.3, 4, rng.Uniform(0, 1));
    Fill(cr, 0xFFF6C0);
  }

  // The bomb: neck turned toward the fuse, round body with a highlight.
  // The neck's lower half hides behind the body.
  cairo_save(cr);
  cairo_translate(cr, 168, 96);
  cairo_rotate(cr, kPi / 4);
  RoundRect(cr, -18, -14, 36, 28, 5);
  FillStrokeV(cr, -14, 14, 0xB8C2DA, 0x4A5272, kInk, 6);
  cairo_restore(cr);
  Ellipse(cr, 114, 150, 78, 78);
  FillStrokeR(cr, 84, 118, 118, 0x8A8AC0, 0x141226, kInk, 7);
  Ellipse(cr, 82, 118, 20, 13);
  Fill(cr, 0xF0F0FF);
  Ellipse(cr, 66, 148, 6, 6);
  Fill(cr, 0xB8B8E0);

  // The fuse: dark rim under a light cord.
  FusePath(cr);
  SetColour(cr, kInk);
  cairo_set_line_width(cr, 14);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_stroke(cr);
  FusePath(cr);
  SetColour(cr, 0xE8C890);
  cairo_set_line_width(cr, 7);
  cairo_stroke(cr);

  // The flame at the fuse's end with its sparks.
  Star(cr, 194, 42, 30, 12, 8, 0.2);
  FillStroke(cr, 0xFFE040, 0xC03000, 4);
  cairo_move_to(cr, 194, 56);
  cairo_curve_to(cr, 176, 52, 180, 34, 196, 20);
  cairo_curve_to(cr, 206, 34, 212, 52, 194, 56);
  cairo_close_path(cr);
  FillStrokeV(cr, 20, 56, 0xFFF6A0, 0xFF6A10, 0x7A2000, 3);
  Ellipse(cr, 195, 45, 5, 7);
  Fill(cr, 0xFFFFFF);
  const double sparks[][3] = {{226, 20, 7}, {222, 70, 5}, {160, 26, 6}};
  for (const auto& s : sparks) {
    Star(cr, s[0], s[1], s[2], s[2] * 0.35, 4, 0.1);
    Fill(cr, 0xFFF6A0);
  }
  cairo_restore(cr);
}

}  // namespace fusewick::art
