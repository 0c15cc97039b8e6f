// The seven monsters (facing right where they have a direction), their
// burst and the bullets.
#include <algorithm>
#include <cmath>

#include "draw.h"
#include "paint.h"

namespace fusewick::art {

namespace {

void Eye(cairo_t* cr, double cx, double cy, double r, double lookX, double lookY, uint32_t iris = 0x1A1024) {
  Ellipse(cr, cx, cy, r, r * 1.1);
  FillStroke(cr, 0xFFFFFF, kInk, 1.6);
  Ellipse(cr, cx + lookX * r * 0.4, cy + lookY * r * 0.4, r * 0.5, r * 0.55);
  Fill(cr, iris);
  Ellipse(cr, cx + lookX * r * 0.4 - r * 0.18, cy + lookY * r * 0.4 - r * 0.2, r * 0.17, r * 0.17);
  Fill(cr, 0xFFFFFF);
}

// A downward nozzle whose mouth ends at y (the engine flame hangs below it).
void Nozzle(cairo_t* cr, double cx, double top, double y) {
  cairo_move_to(cr, cx - 5, top);
  cairo_line_to(cr, cx + 5, top);
  cairo_line_to(cr, cx + 7, y);
  cairo_line_to(cr, cx - 7, y);
  cairo_close_path(cr);
  FillStrokeV(cr, top, y, 0xB8C2DA, 0x4A5272, kInk, 1.8);
}

}  // namespace

void DrawMonster1(cairo_t* cr, const Frame& f) {
  // Slime walker: a wobbling green blob on two stubby feet.
  double p = 2 * kPi * f.Index / f.Count;
  double squash = 1.5 * std::sin(2 * p);
  for (int i = 0; i < 2; ++i) {
    double fx = 16 + i * 16 + 5 * std::sin(p + i * kPi), lift = 3 * std::max(0.0, std::cos(p + i * kPi));
    Ellipse(cr, fx, 43 - lift, 7, 4.5);
    FillStroke(cr, i ? 0x1E8A3A : 0x16702E, kInk, 2);
  }
  double top = 8 + squash, w = 19 - squash * 0.6;
  cairo_move_to(cr, 24 - w, 40);
  cairo_curve_to(cr, 24 - w - 3, 26, 24 - w + 4, top, 24, top);
  cairo_curve_to(cr, 24 + w - 2, top, 24 + w + 4, 24, 24 + w, 40);
  cairo_curve_to(cr, 34, 44, 14, 44, 24 - w, 40);
  cairo_close_path(cr);
  FillStrokeR(cr, 18, top + 8, 32, 0xB8FF8A, 0x22B04A, kInk, 2.5);
  // Shine and drips.
  Ellipse(cr, 15, top + 9, 4, 2.5);
  Fill(cr, 0xEFFFD8);
  Eye(cr, 23, top + 13, 5.5, 0.8, 0);
  Eye(cr, 35, top + 13, 5, 0.8, 0);
  // Toothy grin.
  cairo_move_to(cr, 22, 30 + squash * 0.3);
  cairo_curve_to(cr, 28, 35, 36, 33, 40, 28);
  SetColour(cr, kInk);
  cairo_set_line_width(cr, 2.2);
  cairo_stroke(cr);
  cairo_move_to(cr, 30, 32.8);
  cairo_line_to(cr, 32, 36);
  cairo_line_to(cr, 34, 32.2);
  FillStroke(cr, 0xFFFFFF, kInk, 1);
}

void DrawMonster2(cairo_t* cr, const Frame& f) {
  (void)f;
  // Drifting jelly pod: a purple dome with two engine nozzles below.
  Nozzle(cr, 5.5, 30, 43);
  Nozzle(cr, 38.5, 30, 43);
  cairo_move_to(cr, 3, 30);
  cairo_curve_to(cr, 2, 10, 12, 2, 22, 2);
  cairo_curve_to(cr, 32, 2, 42, 10, 41, 30);
  cairo_curve_to(cr, 41, 38, 3, 38, 3, 30);
  cairo_close_path(cr);
  FillStrokeR(cr, 15, 10, 34, 0xF0B0FF, 0x8A2AD0, kInk, 2.5);
  // Band of lights.
  RoundRect(cr, 4, 26, 36, 7, 3);
  FillStroke(cr, 0x4A1A80, kInk, 1.5);
  for (int i = 0; i < 4; ++i) {
    Ellipse(cr, 10 + i * 8, 29.5, 2, 2);
    Fill(cr, i % 2 ? 0xFFE040 : 0x6AFFEA);
  }
  Eye(cr, 22, 14, 7.5, 0, 0.5, 0x7A0A40);
  Ellipse(cr, 13, 8, 3, 2);
  Fill(cr, 0xFFE8FF);
}

void DrawMonster3(cairo_t* cr, const Frame& f) {
  (void)f;
  // Rocket shark: a red torpedo body with fins, nose to the right and the
  // engine at the back (x 0, centred on y 16).
  cairo_move_to(cr, 30, 7);
  cairo_line_to(cr, 46, -2);
  cairo_line_to(cr, 54, 8);
  FillStroke(cr, 0xC01A2A, kInk, 2);
  RoundRect(cr, 0, 9, 12, 14, 3);
  FillStrokeV(cr, 9, 23, 0xC0C8E0, 0x4A5272, kInk, 2);
  cairo_move_to(cr, 8, 16);
  cairo_curve_to(cr, 10, 5, 40, 3, 70, 5);
  cairo_curve_to(cr, 84, 6, 94, 12, 95, 17);
  cairo_curve_to(cr, 92, 23, 80, 28, 62, 28);
  cairo_curve_to(cr, 40, 29, 12, 27, 8, 16);
  cairo_close_path(cr);
  FillStrokeV(cr, 4, 29, 0xFF6A5A, 0xB0101E, kInk, 2.5);
  // Pale belly.
  cairo_move_to(cr, 24, 22);
  cairo_curve_to(cr, 40, 27, 70, 27, 86, 21);
  cairo_curve_to(cr, 70, 24, 40, 24, 24, 22);
  Fill(cr, 0xFFD8C8);
  // Teeth and eye.
  cairo_move_to(cr, 74, 20);
  for (int i = 0; i < 5; ++i) {
    cairo_line_to(cr, 76 + i * 3.5, 23);
    cairo_line_to(cr, 77.7 + i * 3.5, 20.5);
  }
  cairo_line_to(cr, 93, 19);
  SetColour(cr, kInk);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke_preserve(cr);
  Fill(cr, 0xFFFFFF);
  Eye(cr, 76, 12, 4, 0.8, 0, 0xB00010);
  // Side fin and stripes.
  cairo_move_to(cr, 44, 18);
  cairo_line_to(cr, 36, 31);
  cairo_line_to(cr, 54, 21);
  FillStroke(cr, 0xC01A2A, kInk, 2);
  for (int i = 0; i < 3; ++i) Line(cr, 22 + i * 8, 9, 20 + i * 8, 16, 2, 0xFFE040);
}

void DrawMonster4(cairo_t* cr, const Frame& f) {
  // Gun robot: a yellow box on two legs, cannon on its head pointing to the
  // right at y 8 (its shots leave 20 pixels right of its centre).
  double p = 2 * kPi * f.Index / f.Count;
  double bob = std::fabs(std::sin(p));
  for (int i = 0; i < 2; ++i) {
    double fx = 17 + i * 14 + 5 * std::sin(p + i * kPi), lift = 3 * std::max(0.0, std::cos(p + i * kPi));
    Line(cr, 17 + i * 14, 38, fx, 46 - lift, 6.5, kInk);
    Line(cr, 17 + i * 14, 38, fx, 46 - lift, 3.5, 0x6A7290);
    RoundRect(cr, fx - 6, 45 - lift, 12, 5, 2);
    FillStroke(cr, 0x3A3E58, kInk, 1.5);
  }
  double y = 14 - bob;
  RoundRect(cr, 8, y, 32, 26, 5);
  FillStrokeV(cr, y, y + 26, 0xFFE860, 0xE89A10, kInk, 2.5);
  // Hazard stripes on the belly.
  cairo_save(cr);
  cairo_rectangle(cr, 10, y + 18, 28, 6);
  cairo_clip(cr);
  cairo_rectangle(cr, 10, y + 18, 28, 6);
  Fill(cr, 0x2A2440);
  for (int i = 0; i < 6; ++i) {
    cairo_move_to(cr, 8 + i * 6, y + 24);
    cairo_line_to(cr, 11 + i * 6, y + 18);
    cairo_line_to(cr, 14 + i * 6, y + 18);
    cairo_line_to(cr, 11 + i * 6, y + 24);
    Fill(cr, 0xFFD23A);
  }
  cairo_restore(cr);
  // Visor with one red eye.
  RoundRect(cr, 12, y + 4, 24, 10, 4);
  FillStroke(cr, 0x2A2440, kInk, 1.5);
  Ellipse(cr, 29, y + 9, 3.5, 3.5);
  FillStrokeR(cr, 28, y + 8, 4, 0xFFFFFF, 0xFF2A2A, 0x7A0000, 1);
  // Turret and cannon.
  Ellipse(cr, 24, 8 - bob * 0.5, 8, 6);
  FillStrokeV(cr, 2, 14, 0xC8D2E8, 0x6A7898, kInk, 2);
  RoundRect(cr, 24, 4.5 - bob * 0.5, 22, 7, 2.5);
  FillStrokeV(cr, 4, 11, 0xA8B4D0, 0x4A5678, kInk, 2);
  cairo_rectangle(cr, 42, 3.5 - bob * 0.5, 5, 9);
  FillStroke(cr, 0x3A3E58, kInk, 1.5);
}

void DrawMonster5(cairo_t* cr, const Frame& f) {
  (void)f;
  // Homing drone: one big eye in a steel ring, two nozzles below.
  Nozzle(cr, 5.5, 32, 45);
  Nozzle(cr, 38.5, 32, 45);
  RoundRect(cr, 3, 30, 38, 8, 3);
  FillStrokeV(cr, 30, 38, 0xC8D2E8, 0x5A6688, kInk, 2);
  Ellipse(cr, 22, 19, 19, 17);
  FillStrokeR(cr, 16, 12, 26, 0xE8EEF8, 0x6A7898, kInk, 2.5);
  Ellipse(cr, 22, 19, 14, 12.5);
  FillStroke(cr, 0xFFFFFF, kInk, 1.8);
  // Bloodshot veins.
  Line(cr, 10, 14, 14, 16, 1, 0xE04050);
  Line(cr, 33, 24, 30, 22, 1, 0xE04050);
  Ellipse(cr, 24, 20, 7, 7);
  FillStrokeR(cr, 22, 18, 8, 0xFF8A6A, 0xD01010, kInk, 1.2);
  Ellipse(cr, 24.5, 20.5, 3.5, 3.5);
  Fill(cr, kInk);
  Ellipse(cr, 21.5, 17.5, 1.8, 1.8);
  Fill(cr, 0xFFFFFF);
  // Little antenna.
  Line(cr, 22, 2, 22, -2, 2, kInk);
}

void DrawMonster6(cairo_t* cr, const Frame& f) {
  (void)f;
  // Spitting toad flier: wide mouth (spittle leaves at x 13, y 7), bulging
  // eyes, two nozzles below.
  Nozzle(cr, 5.5, 28, 41);
  Nozzle(cr, 38.5, 28, 41);
  cairo_move_to(cr, 2, 24);
  cairo_curve_to(cr, 0, 10, 10, 6, 22, 6);
  cairo_curve_to(cr, 36, 6, 45, 10, 43, 24);
  cairo_curve_to(cr, 42, 36, 3, 36, 2, 24);
  cairo_close_path(cr);
  FillStrokeR(cr, 14, 12, 34, 0xD8FF6A, 0x4AA01A, kInk, 2.5);
  // Warts.
  const double warts[4][2] = {{8, 26}, {36, 27}, {30, 31}, {14, 31}};
  for (auto& w : warts) {
    Ellipse(cr, w[0], w[1], 2, 1.6);
    Fill(cr, 0x2E7A10);
  }
  Eye(cr, 12, 6, 6, 0.5, 0.2, 0x7A0040);
  Eye(cr, 32, 6, 6, 0.5, 0.2, 0x7A0040);
  // Mouth.
  cairo_move_to(cr, 9, 17);
  cairo_curve_to(cr, 16, 25, 30, 25, 37, 17);
  cairo_curve_to(cr, 28, 20, 18, 20, 9, 17);
  cairo_close_path(cr);
  FillStroke(cr, 0x8A1030, kInk, 1.8);
  Ellipse(cr, 20, 20.5, 3, 1.3);
  Fill(cr, 0xFF6A8A);
}

void DrawMonster7(cairo_t* cr, const Frame& f) {
  (void)f;
  // Bomber blimp, nose to the left: envelope, gondola with the bomb hatch
  // (bombs drop from x 20, y 40), engine at the tail (x 78, centred on 16).
  RoundRect(cr, 66, 10, 12, 12, 3);
  FillStrokeV(cr, 10, 22, 0xC0C8E0, 0x4A5272, kInk, 2);
  cairo_move_to(cr, 62, 8);
  cairo_line_to(cr, 74, 0);
  cairo_line_to(cr, 74, 12);
  cairo_close_path(cr);
  FillStroke(cr, 0xE0322A, kInk, 2);
  cairo_move_to(cr, 62, 24);
  cairo_line_to(cr, 74, 32);
  cairo_line_to(cr, 74, 20);
  cairo_close_path(cr);
  FillStroke(cr, 0xB01A1A, kInk, 2);
  Ellipse(cr, 36, 16, 34, 14);
  FillStrokeV(cr, 2, 30, 0xC8F0B0, 0x4A8A5A, kInk, 2.5);
  // Panel seams and a skull badge.
  Line(cr, 22, 4, 22, 28, 1.5, 0x2E6A3E);
  Line(cr, 50, 4, 50, 28, 1.5, 0x2E6A3E);
  Ellipse(cr, 36, 14, 6, 5.5);
  FillStroke(cr, 0xFFFFFF, kInk, 1.5);
  Ellipse(cr, 34, 13.5, 1.5, 1.5);
  Fill(cr, kInk);
  Ellipse(cr, 38, 13.5, 1.5, 1.5);
  Fill(cr, kInk);
  Line(cr, 33, 18, 39, 18, 1.2, kInk);
  Ellipse(cr, 12, 10, 5, 3);
  Fill(cr, 0xF0FFE8);
  // Gondola and hatch.
  RoundRect(cr, 14, 28, 32, 12, 4);
  FillStrokeV(cr, 28, 40, 0x8A94B8, 0x3A4260, kInk, 2);
  cairo_rectangle(cr, 20, 37, 16, 5);
  FillStroke(cr, 0x2A2440, kInk, 1.5);
  for (int i = 0; i < 3; ++i) {
    Ellipse(cr, 20 + i * 8, 33, 2, 2);
    Fill(cr, 0xFFE040);
  }
}

void DrawMonsterBlast(cairo_t* cr, const Frame& f) {
  double t = double(f.Index) / (f.Count - 1);  // 0 .. 1
  double cx = f.Width / 2.0, cy = f.Height / 2.0;
  Rng rng(77 + uint32_t(f.Index) * 13);
  if (t < 0.55) {
    // Flash growing into a spiky fireball.
    double r = 7 + 14 * std::min(1.0, t / 0.45);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, 1.0, 1.25);
    cairo_translate(cr, -cx, -cy);
    Star(cr, cx, cy, r, r * 0.62, 9, t * 2);
    cairo_restore(cr);
    FillStrokeR(cr, cx, cy, r, 0xFFFFE8, 0xFF7A10, 0x6A1000, 2);
    Ellipse(cr, cx, cy, r * 0.55, r * 0.68);
    FillStrokeR(cr, cx, cy, r * 0.6, 0xFFFFFF, 0xFFD040, 0xFF9A20, 0);
  } else {
    // Smoke puffs drifting apart and shrinking, with stars.
    double k = (t - 0.55) / 0.45;
    for (int i = 0; i < 6; ++i) {
      double a = i * kPi / 3 + 0.4, d = 7 + 6 * k;
      double r = 8 * (1 - 0.7 * k) + rng.Uniform(0, 1.5);
      Ellipse(cr, cx + d * std::cos(a), cy + d * std::sin(a) - 6 * k, r, r);
      FillStrokeR(cr, cx + d * std::cos(a) - 2, cy + d * std::sin(a) - 8 * k, r * 1.4, 0xB8A8C8, 0x5A4A6A, 0x2A1A3A,
                  1.6);
    }
  }
  for (int i = 0; i < 4; ++i) {
    double a = rng.Uniform(0, 2 * kPi), d = 8 + 10 * t;
    Star(cr, cx + d * std::cos(a), cy + d * std::sin(a), 4.5 * (1.1 - t), 1.5, 4, a);
    FillStroke(cr, 0xFFF2A0, 0x7A3000, 1);
  }
}

void DrawBulletPlayer(cairo_t* cr, const Frame& f) {
  RoundRect(cr, 1, 1, f.Width - 2, f.Height - 2, (f.Height - 2) / 2.0);
  FillStrokeV(cr, 1, f.Height - 1, 0xD0FFFF, 0x20A8FF, 0x0A2A6A, 1.4);
  Line(cr, 4, f.Height / 2.0, f.Width - 4, f.Height / 2.0, 1.2, 0xFFFFFF);
}

void DrawBulletEnemy(cairo_t* cr, const Frame& f) {
  Ellipse(cr, f.Width / 2.0, f.Height / 2.0, f.Width / 2.0 - 1, f.Height / 2.0 - 1);
  FillStrokeR(cr, 3, 3, 5, 0xFFE0C0, 0xFF2A10, 0x5A0000, 1.3);
}

void DrawSpittle(cairo_t* cr, const Frame& f) {
  bool ice = f.Variant == 1;
  cairo_move_to(cr, 11, 6);
  cairo_curve_to(cr, 11, 10, 8, 11, 5.5, 11);
  cairo_curve_to(cr, 2, 11, 1, 8, 1, 6);
  cairo_curve_to(cr, 1, 3, 4, 1, 7, 1.5);
  cairo_curve_to(cr, 9, 2, 11, 3, 11, 6);
  cairo_close_path(cr);
  if (ice)
    FillStrokeR(cr, 4, 4, 8, 0xFFFFFF, 0x5FC8FF, 0x0A2A6A, 1.4);
  else
    FillStrokeR(cr, 4, 4, 8, 0xF0FFB0, 0x6ACF10, 0x1A4A00, 1.4);
  Ellipse(cr, 4.5, 4.5, 1.5, 1.2);
  Fill(cr, 0xFFFFFF);
}

void DrawBomberBomb(cairo_t* cr, const Frame& f) {
  bool ice = f.Variant == 2;
  uint32_t body0 = ice ? 0xE8FCFF : 0x6A6A8A, body1 = ice ? 0x4AA8E8 : 0x1A1830;
  // Tail fins on top, round nose down.
  cairo_move_to(cr, 3, 1);
  cairo_line_to(cr, 13, 1);
  cairo_line_to(cr, 11, 8);
  cairo_line_to(cr, 5, 8);
  cairo_close_path(cr);
  FillStroke(cr, ice ? 0x2A7AC8 : 0xE0322A, kInk, 1.5);
  Ellipse(cr, 8, 13.5, 6.5, 7.5);
  FillStrokeR(cr, 6, 11, 9, body0, body1, kInk, 1.8);
  Line(cr, 3, 11, 13, 11, 1.5, ice ? 0xFFFFFF : 0xFFD23A);
  Ellipse(cr, 6, 12, 1.5, 2);
  Fill(cr, 0xFFFFFF);
}

}  // namespace fusewick::art
