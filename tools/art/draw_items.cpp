// Bombs, their fuses and blasts, the bonuses and the engine flames.
#include <algorithm>
#include <cmath>
#include <string>

#include "draw.h"
#include "paint.h"
#include "text.h"

namespace fusewick::art {

void PaintBombBody(cairo_t* cr, double cx, double cy, double r) {
  // Neck of the bomb, then the round body with a bright highlight.
  RoundRect(cr, cx - r * 0.32, cy - r - 3.5, r * 0.64, 6, 1.5);
  FillStrokeV(cr, cy - r - 3.5, cy - r + 2.5, 0xB8C2DA, 0x4A5272, kInk, 1.8);
  Ellipse(cr, cx, cy, r, r);
  FillStrokeR(cr, cx - r * 0.4, cy - r * 0.45, r * 1.5, 0x7A7AA8, 0x141226, kInk, 2.2);
  Ellipse(cr, cx - r * 0.42, cy - r * 0.42, r * 0.26, r * 0.18);
  Fill(cr, 0xF0F0FF);
}

namespace {

void Fuse(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2) {
  for (int pass = 0; pass < 2; ++pass) {
    cairo_move_to(cr, x0, y0);
    cairo_curve_to(cr, x1, y1, x1, y1, x2, y2);
    SetColour(cr, pass ? 0xE8C890 : kInk);
    cairo_set_line_width(cr, pass ? 2 : 4.4);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

// A round glossy badge for a bonus.
void Badge(cairo_t* cr, double cx, double cy, double r, uint32_t rim) {
  Ellipse(cr, cx, cy, r, r);
  FillStrokeR(cr, cx - r * 0.3, cy - r * 0.4, r * 1.4, Lighter(rim, 0.55), Darker(rim, 0.25), kInk, 3);
  Ellipse(cr, cx, cy, r - 6, r - 6);
  FillStrokeR(cr, cx - r * 0.25, cy - r * 0.35, r * 1.2, 0x3A4AB0, 0x141848, Darker(rim, 0.45), 2);
  // Gloss.
  cairo_save(cr);
  Ellipse(cr, cx, cy, r - 7, r - 7);
  cairo_clip(cr);
  Ellipse(cr, cx - r * 0.1, cy - r * 0.75, r * 0.8, r * 0.42);
  Fill(cr, 0x4E5CC0);
  cairo_restore(cr);
}

void Coin(cairo_t* cr, double cx, double cy, double r, uint32_t metal, const std::string& value) {
  Ellipse(cr, cx + 2, cy + 3, r, r);
  FillStroke(cr, Darker(metal, 0.45), kInk, 2.5);
  Ellipse(cr, cx, cy, r, r);
  FillStrokeR(cr, cx - r * 0.35, cy - r * 0.4, r * 1.5, Lighter(metal, 0.7), Darker(metal, 0.2), kInk, 3);
  Ellipse(cr, cx, cy, r * 0.78, r * 0.78);
  SetColour(cr, Darker(metal, 0.3));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  LabelStyle s;
  s.Size = r * 1.05;
  s.Outline = 2.2;
  s.FillTop = 0xFFFFFF;
  s.FillBottom = Lighter(metal, 0.5);
  s.Line = Darker(metal, 0.65);
  DrawLabelFit(cr, value, cx, cy + r * 0.38, Align::Centre, s, r * 1.35);
}

}  // namespace

void PaintBonusIcon(cairo_t* cr, int kind, double cx, double cy, double r) {
  double u = r / 20.0;  // icon units: designed for r = 20
  auto X = [&](double x) { return cx + x * u; };
  auto Y = [&](double y) { return cy + y * u; };
  switch (kind) {
    case 4: {  // blaster
      RoundRect(cr, X(-16), Y(-7), 24 * u, 10 * u, 3 * u);
      FillStrokeV(cr, Y(-7), Y(3), 0xB8C4E0, 0x4A5678, kInk, 2);
      cairo_rectangle(cr, X(8), Y(-5), 9 * u, 6 * u);
      FillStroke(cr, 0x5A6688, kInk, 1.8);
      RoundRect(cr, X(-12), Y(1), 7 * u, 13 * u, 2 * u);
      FillStroke(cr, 0x6A4A2A, kInk, 2);
      Ellipse(cr, X(-3), Y(-2), 2.6 * u, 2.6 * u);
      Fill(cr, 0x4FE3FF);
      Star(cr, X(19), Y(-2), 5 * u, 2 * u, 4, 0);
      FillStroke(cr, 0xFFF2A0, 0x7A3000, 1.2);
      break;
    }
    case 8: {  // jet pack
      for (int i = 0; i < 2; ++i) {
        double x = i ? 2 : -12;
        cairo_move_to(cr, X(x + 2), Y(9));
        cairo_line_to(cr, X(x + 8), Y(9));
        cairo_line_to(cr, X(x + 5), Y(19));
        cairo_close_path(cr);
        FillStroke(cr, 0xFFB020, 0x7A2000, 1.5);
        RoundRect(cr, X(x), Y(-14), 10 * u, 24 * u, 4 * u);
        FillStrokeV(cr, Y(-14), Y(10), 0xD8E0F0, 0x6A7898, kInk, 2);
        cairo_rectangle(cr, X(x + 1.5), Y(-7), 7 * u, 3.5 * u);
        Fill(cr, 0xE0322A);
      }
      break;
    }
    case 10: {  // energy shield with a bolt
      cairo_move_to(cr, X(0), Y(-17));
      cairo_curve_to(cr, X(8), Y(-13), X(14), Y(-13), X(15), Y(-13));
      cairo_curve_to(cr, X(15), Y(4), X(8), Y(13), X(0), Y(18));
      cairo_curve_to(cr, X(-8), Y(13), X(-15), Y(4), X(-15), Y(-13));
      cairo_curve_to(cr, X(-14), Y(-13), X(-8), Y(-13), X(0), Y(-17));
      cairo_close_path(cr);
      FillStrokeR(cr, X(-4), Y(-8), 22 * u, 0xC8FFFF, 0x1A9AE8, kInk, 2.4);
      cairo_move_to(cr, X(2), Y(-12));
      cairo_line_to(cr, X(-6), Y(2));
      cairo_line_to(cr, X(0), Y(2));
      cairo_line_to(cr, X(-3), Y(12));
      cairo_line_to(cr, X(7), Y(-3));
      cairo_line_to(cr, X(1), Y(-3));
      cairo_close_path(cr);
      FillStroke(cr, 0xFFF060, 0x6A3A00, 1.6);
      break;
    }
    case 9: {  // mega bomb: a big bomb with a star
      PaintBombBody(cr, X(-1), Y(3), 15 * u);
      Star(cr, X(-1), Y(4), 8 * u, 3.4 * u, 5, 0);
      FillStroke(cr, 0xFFD23A, 0x7A3000, 1.4);
      Fuse(cr, X(3), Y(-13), X(10), Y(-18), X(13), Y(-15));
      Star(cr, X(14), Y(-16), 6 * u, 2.3 * u, 5, 0.3);
      FillStroke(cr, 0xFFF060, 0xC03000, 1.3);
      break;
    }
    case 11: {  // extra life: a heart with 1UP
      cairo_move_to(cr, X(0), Y(17));
      cairo_curve_to(cr, X(-10), Y(9), X(-19), Y(1), X(-17), Y(-8));
      cairo_curve_to(cr, X(-15), Y(-17), X(-3), Y(-17), X(0), Y(-8));
      cairo_curve_to(cr, X(3), Y(-17), X(15), Y(-17), X(17), Y(-8));
      cairo_curve_to(cr, X(19), Y(1), X(10), Y(9), X(0), Y(17));
      cairo_close_path(cr);
      FillStrokeR(cr, X(-7), Y(-8), 26 * u, 0xFFB0B8, 0xE01A3A, kInk, 2.4);
      LabelStyle s;
      s.Size = 11 * u;
      s.Outline = 1.5;
      s.Line = 0x5A0010;
      DrawLabel(cr, "1UP", X(0), Y(3.5), Align::Centre, s);
      break;
    }
    default: {  // money
      static const char* values[3] = {"10", "20", "50"};
      static const uint32_t metals[3] = {0xD88A4A, 0xC8D2E8, 0xFFC83A};
      int i = std::clamp(kind - 5, 0, 2);
      Coin(cr, cx, cy, 17 * u, metals[i], values[i]);
      break;
    }
  }
}

void DrawBomb(cairo_t* cr, const Frame& f) {
  (void)f;
  // Body at the bottom, fuse curling up to x 12, y 15 (the fuse flame sits
  // at x 5 .. 19 from the top).
  PaintBombBody(cr, 12, 33, 11);
  Fuse(cr, 12, 20, 17, 17, 12, 14);
}

void DrawMine(cairo_t* cr, const Frame& f) {
  bool lit = f.Index % 2 == 1;
  // Spikes, dome, base plate, lamp on top.
  for (int i = 0; i < 5; ++i) {
    double a = kPi + kPi * (i + 0.5) / 5;
    double x0 = 14.5 + 8 * std::cos(a), y0 = 15 + 8 * std::sin(a);
    double x1 = 14.5 + 14 * std::cos(a), y1 = 15 + 13.5 * std::sin(a);
    Line(cr, x0, y0, x1, y1, 4, kInk);
    Line(cr, x0, y0, x1, y1, 2, 0xA8B4D0);
  }
  cairo_arc(cr, 14.5, 15, 10, kPi, 2 * kPi);
  cairo_close_path(cr);
  FillStrokeR(cr, 11, 9, 14, 0x8A8AB8, 0x24223E, kInk, 2);
  RoundRect(cr, 1, 14, 27, 6, 2.5);
  FillStrokeV(cr, 14, 20, 0x7A86A8, 0x2E3450, kInk, 1.8);
  Ellipse(cr, 14.5, 5.5, 3.2, 3.2);
  if (lit)
    FillStrokeR(cr, 13.5, 4.5, 4, 0xFFFFFF, 0xFF2A1A, kInk, 1.4);
  else
    FillStrokeR(cr, 13.5, 4.5, 4, 0xA86A6A, 0x5A1A1A, kInk, 1.4);
  if (lit) {
    for (int i = 0; i < 4; ++i) {
      double a = kPi * (1.1 + i * 0.26);
      Line(cr, 14.5 + 5 * std::cos(a), 5.5 + 5 * std::sin(a), 14.5 + 8 * std::cos(a), 5.5 + 8 * std::sin(a), 1.6,
           0xFFE040);
    }
  }
}

void DrawDynamite(cairo_t* cr, const Frame& f) {
  (void)f;
  // Three red sticks lying in a bundle, tape round them, fuse from the
  // right end up to x 53, y 15 (the fuse flame sits at x 46 .. 60).
  for (int i = 0; i < 3; ++i) {
    double y = 17 + i * 7.2 - (i == 1 ? 0 : 0);
    double x = 2 + (i == 1 ? 3 : 0);
    RoundRect(cr, x, y, 42, 8, 3);
    FillStrokeV(cr, y, y + 8, 0xFF7A6A, 0xC0141E, kInk, 1.8);
    Ellipse(cr, x + 42, y + 4, 2.2, 3.6);
    FillStroke(cr, 0xF0D8B0, kInk, 1.4);
  }
  for (int i = 0; i < 2; ++i) {
    cairo_rectangle(cr, 12 + i * 18, 15.5, 6, 24);
    FillStrokeV(cr, 15, 40, 0xF4F0E0, 0xB8B0A0, kInk, 1.5);
  }
  LabelStyle s;
  s.Size = 7;
  s.Outline = 0;
  s.FillTop = s.FillBottom = 0xFFE8A0;
  DrawLabel(cr, "TNT", 25, 33, Align::Centre, s);
  Fuse(cr, 46, 28, 56, 24, 53, 15);
}

void DrawFuseFlame(cairo_t* cr, const Frame& f) {
  // A flickering flame with sparks; its base is at x 7, y 15.
  double p = 2 * kPi * f.Index / f.Count;
  double h = 11 + 2.5 * std::sin(p), lean = 1.6 * std::sin(p * 2 + 1);
  cairo_move_to(cr, 7, 17);
  cairo_curve_to(cr, 1.5, 16, 2, 11, 7 + lean, 17 - h);
  cairo_curve_to(cr, 12, 11, 12.5, 16, 7, 17);
  cairo_close_path(cr);
  FillStrokeV(cr, 17 - h, 17, 0xFFE040, 0xFF4A10, 0x6A1000, 1.5);
  cairo_move_to(cr, 7, 16);
  cairo_curve_to(cr, 4.5, 15, 5, 12.5, 7 + lean * 0.6, 17 - h * 0.6);
  cairo_curve_to(cr, 9, 12.5, 9.5, 15, 7, 16);
  Fill(cr, 0xFFFFE0);
  Rng rng(31 + uint32_t(f.Index) * 7);
  for (int i = 0; i < 3; ++i) {
    double x = rng.Uniform(1.5, 12.5), y = rng.Uniform(1.5, 9);
    Star(cr, x, y, 2.2, 0.7, 4, rng.Uniform(0, 1));
    Fill(cr, i ? 0xFFF6A0 : 0xFFFFFF);
  }
}

void DrawBombBlast(cairo_t* cr, const Frame& f) {
  // Flash, fireball, rising smoke; the bottom of the picture is the ground.
  double t = double(f.Index) / (f.Count - 1);
  double cx = f.Width / 2.0, ground = f.Height - 4;
  Rng rng(11 + uint32_t(f.Index) * 17);
  if (t <= 0.15) {
    double r = 12 + 90 * t;
    Star(cr, cx, ground - r * 0.9, r, r * 0.45, 10, t * 4);
    FillStrokeR(cr, cx, ground - r * 0.9, r, 0xFFFFFF, 0xFFE040, 0x7A3000, 2);
  } else if (t <= 0.6) {
    double k = (t - 0.15) / 0.45;
    double r = 26 + 10 * k;
    double cy = ground - 24 - 16 * k;
    // Column of fire down to the ground.
    cairo_move_to(cr, cx - 12, ground);
    cairo_line_to(cr, cx - 7, cy);
    cairo_line_to(cr, cx + 7, cy);
    cairo_line_to(cr, cx + 12, ground);
    cairo_close_path(cr);
    FillStrokeV(cr, cy, ground, 0xFFD040, 0xFF5A10, 0x6A1000, 2);
    for (int i = 0; i < 7; ++i) {
      double a = i * 2 * kPi / 7 + k, d = r * 0.5;
      double pr = r * 0.5 + rng.Uniform(0, 4);
      Ellipse(cr, cx + d * std::cos(a), cy + d * std::sin(a) * 0.8, pr, pr * 0.9);
      FillStrokeR(cr, cx, cy - 8, r * 1.4, 0xFFFFD0, k < 0.5 ? 0xFF8A10 : 0xE0401A, 0x5A1000, 2);
    }
    Ellipse(cr, cx, cy, r * 0.55, r * 0.5);
    FillStrokeR(cr, cx - 4, cy - 6, r * 0.7, 0xFFFFFF, 0xFFD040, 0xFF9A20, 0);
  } else {
    double k = (t - 0.6) / 0.4;
    double cy = ground - 42 - 18 * k;
    for (int i = 0; i < 6; ++i) {
      double a = i * kPi / 3 + 0.5, d = 12 + 8 * k;
      double pr = 14 * (1 - 0.7 * k) + rng.Uniform(0, 2);
      Ellipse(cr, cx + d * std::cos(a), cy + d * std::sin(a) * 0.7, pr, pr * 0.9);
      FillStrokeR(cr, cx - 6, cy - 10, 40, 0xC8B8D8, 0x5A4A6A, 0x2A1A3A, 1.8);
    }
    if (k < 0.5) {
      Ellipse(cr, cx, cy, 9 * (1 - k), 8 * (1 - k));
      Fill(cr, 0xFF8A10);
    }
  }
  for (int i = 0; i < 5 && t > 0.05 && t < 0.85; ++i) {
    double a = rng.Uniform(kPi * 1.05, kPi * 1.95), d = 20 + 30 * t;
    double x = cx + d * std::cos(a), y = ground - 30 + d * std::sin(a);
    Star(cr, x, y, 4, 1.4, 4, a);
    FillStroke(cr, 0xFFF2A0, 0x7A3000, 1);
  }
}

void DrawBonus(cairo_t* cr, const Frame& f) {
  double c = f.Width / 2.0;
  int kind = f.Variant;
  if (kind >= 5 && kind <= 7) {
    PaintBonusIcon(cr, kind, c - 1, c - 1, 36);
    return;
  }
  static const uint32_t rims[12] = {0, 0, 0, 0, 0xFFC53D, 0, 0, 0, 0xFF7A1A, 0xE0322A, 0x4FD8FF, 0xFF6A9A};
  Badge(cr, c, c, 37, rims[kind]);
  PaintBonusIcon(cr, kind, c, c + 1, 25);
}

void DrawItemAppear(cairo_t* cr, const Frame& f) {
  // A ring opening up with a turning four-point sparkle in it.
  double t = double(f.Index) / f.Count;
  double c = f.Width / 2.0;
  double r = 6 + 18 * t;
  Ellipse(cr, c, c, r, r);
  SetColour(cr, 0x2A1A5A);
  cairo_set_line_width(cr, 5);
  cairo_stroke(cr);
  Ellipse(cr, c, c, r, r);
  SetColour(cr, t < 0.5 ? 0xFFFFFF : 0xFFE060);
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  double s = 20 * std::sin(kPi * (0.15 + 0.85 * t));
  Star(cr, c, c, s, s * 0.22, 4, t * kPi);
  FillStroke(cr, 0xFFFFFF, 0xC06A00, 1.5);
  for (int i = 0; i < 4; ++i) {
    double a = i * kPi / 2 + t * 2 + kPi / 4;
    Star(cr, c + (r + 1) * std::cos(a), c + (r + 1) * std::sin(a), 4, 1.2, 4, 0);
    FillStroke(cr, 0xFFF2A0, 0x7A3000, 1);
  }
}

void DrawEngineFlame(cairo_t* cr, const Frame& f) {
  // Downward flame, centred in its 19 pixels, flickering in length.
  double p = 2 * kPi * f.Index / f.Count;
  double len = f.Height - 3 - 3.5 * (1 + std::sin(p)) / 2 * 1.6;
  double c = f.Width / 2.0;
  cairo_move_to(cr, c - 7.5, 1);
  cairo_curve_to(cr, c - 8, len * 0.5, c - 2, len * 0.8, c + 0.8 * std::sin(p * 2), len);
  cairo_curve_to(cr, c + 2, len * 0.8, c + 8, len * 0.5, c + 7.5, 1);
  cairo_close_path(cr);
  FillStrokeV(cr, 1, len, 0xFFE860, 0xFF4A10, 0x6A1000, 1.6);
  cairo_move_to(cr, c - 4, 1);
  cairo_curve_to(cr, c - 4, len * 0.35, c - 1, len * 0.55, c, len * 0.62);
  cairo_curve_to(cr, c + 1, len * 0.55, c + 4, len * 0.35, c + 4, 1);
  cairo_close_path(cr);
  Fill(cr, 0xFFFFE8);
}

void DrawSideFlame(cairo_t* cr, const Frame& f) {
  // Flame blowing to the left out of a nozzle at the right edge, centred on
  // y 16.
  double p = 2 * kPi * f.Index / f.Count;
  double tip = 1 + 2.5 * (1 + std::sin(p)) / 2;
  double cy = f.Height / 2.0, right = f.Width - 0.5;
  cairo_move_to(cr, right, cy - 6.5);
  cairo_curve_to(cr, right - 6, cy - 6.5, tip + 3, cy - 2, tip, cy + 0.8 * std::sin(p * 2));
  cairo_curve_to(cr, tip + 3, cy + 2, right - 6, cy + 6.5, right, cy + 6.5);
  cairo_close_path(cr);
  FillStrokeV(cr, cy - 6.5, cy + 6.5, 0xFFE860, 0xFF4A10, 0x6A1000, 1.5);
  cairo_move_to(cr, right, cy - 3);
  cairo_curve_to(cr, right - 4, cy - 3, tip + 6, cy - 1, tip + 5, cy);
  cairo_curve_to(cr, tip + 6, cy + 1, right - 4, cy + 3, right, cy + 3);
  cairo_close_path(cr);
  Fill(cr, 0xFFFFE8);
}

}  // namespace fusewick::art
