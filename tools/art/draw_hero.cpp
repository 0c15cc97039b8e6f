// The hero (facing right; the left-facing images are mirrored) and his
// effects. Picture 90 x 85, drawn by the game at 80 %: body centred on
// x 45, feet on the bottom row, blaster muzzle at the right edge (y 36),
// jet-pack nozzle at x 22, y 53.
#include <algorithm>
#include <cmath>

#include "draw.h"
#include "paint.h"

namespace fusewick::art {

namespace {

constexpr uint32_t kSuit = 0xFF7A1A, kSuitDark = 0xD2500A, kSuitLight = 0xFFB060;
constexpr uint32_t kTrousers = 0x2F56C8, kTrousersDark = 0x1C3788;
constexpr uint32_t kHelmet = 0xFFD83A, kHelmetDark = 0xE09A10, kVisor = 0x4FE3FF;
constexpr uint32_t kBoot = 0xE0322A, kGlove = 0xFFFFFF;

struct Tint {
  uint32_t suit, suitDark, suitLight, trousers, trousersDark, helmet, helmetDark, visor, boot, glove, line;
};

const Tint kNormal = {kSuit,       kSuitDark, kSuitLight, kTrousers, kTrousersDark, kHelmet,
                      kHelmetDark, kVisor,    kBoot,      kGlove,    kInk};

uint32_t Ice(uint32_t c) { return Mix(Mix(c, 0xFFFFFF, 0.35), 0x7FD8FF, 0.55); }

Tint Frozen() {
  return {Ice(kSuit),         Ice(kSuitDark), Ice(kSuitLight),  Ice(kTrousers),
          Ice(kTrousersDark), Ice(kHelmet),   Ice(kHelmetDark), 0xE8FCFF,
          Ice(kBoot),         0xFFFFFF,       0x1E4A7A};
}

// A limb as a thick stroke with an outline.
void Limb(cairo_t* cr, double x0, double y0, double xm, double ym, double x1, double y1, double width, uint32_t fill,
          uint32_t line) {
  for (int pass = 0; pass < 2; ++pass) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, xm, ym);
    cairo_line_to(cr, x1, y1);
    SetColour(cr, pass ? fill : line);
    cairo_set_line_width(cr, pass ? width : width + 3.5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

struct Pose {
  double bob;  // body raised by this many pixels
  double frontFootX, frontLift, backFootX, backLift;
  double frontHand, backHand;  // arm swing, -1 .. 1
};

Pose WalkPose(int frame, int frames) {
  double p = 2 * kPi * frame / frames;
  Pose pose;
  pose.bob = 1.5 * std::fabs(std::sin(p));
  pose.frontFootX = 11 * std::sin(p);
  pose.backFootX = -11 * std::sin(p);
  pose.frontLift = 5 * std::max(0.0, std::cos(p));
  pose.backLift = 5 * std::max(0.0, -std::cos(p));
  pose.frontHand = -std::sin(p);
  pose.backHand = std::sin(p);
  return pose;
}

void Leg(cairo_t* cr, double hipX, double hipY, double footX, double lift, const Tint& t, bool back) {
  double fy = 79 - lift;
  double kneeX = (hipX + footX) / 2 + 3 + lift * 0.4, kneeY = (hipY + fy) / 2;
  Limb(cr, hipX, hipY, kneeX, kneeY, footX, fy - 2, 9, back ? t.trousersDark : t.trousers, t.line);
  // Boot, toe forward.
  RoundRect(cr, footX - 6, fy - 5, 15, 9.5, 4);
  FillStrokeV(cr, fy - 5, fy + 4.5, Lighter(t.boot, 0.3), back ? Darker(t.boot, 0.3) : t.boot, t.line, 2.2);
}

void Arm(cairo_t* cr, double sx, double sy, double swing, const Tint& t, bool back) {
  double hx = sx + 10 * swing, hy = sy + 15 - 2 * std::fabs(swing);
  double ex = sx + 4 * swing - 1, ey = sy + 8;
  Limb(cr, sx, sy, ex, ey, hx, hy, 7, back ? t.suitDark : t.suit, t.line);
  Ellipse(cr, hx, hy + 1, 4.2, 4.2);
  FillStroke(cr, back ? 0xD8DCEA : t.glove, t.line, 2);
}

void JetPack(cairo_t* cr, double bob, const Tint& t) {
  double y = 27 - bob;
  RoundRect(cr, 13, y, 19, 24, 6);
  FillStrokeV(cr, y, y + 24, 0xC8D2E8, 0x6A7898, t.line, 2.2);
  // Red stripe and nozzle.
  cairo_rectangle(cr, 15, y + 7, 15, 4);
  Fill(cr, 0xE0322A);
  cairo_move_to(cr, 16, y + 23);
  cairo_line_to(cr, 28, y + 23);
  cairo_line_to(cr, 26, 53 - bob);
  cairo_line_to(cr, 18, 53 - bob);
  cairo_close_path(cr);
  FillStroke(cr, 0x3A3E58, t.line, 2);
}

void Blaster(cairo_t* cr, double bob, const Tint& t) {
  double y = 36 - bob;
  // Arm reaching forward to the grip.
  Limb(cr, 48, 38 - bob, 56, 42 - bob, 62, 40 - bob, 7, t.suit, t.line);
  // Body of the gun, barrel to the right edge.
  RoundRect(cr, 58, y - 6, 24, 11, 3);
  FillStrokeV(cr, y - 6, y + 5, 0x9AA8C8, 0x4A5678, t.line, 2);
  cairo_rectangle(cr, 80, y - 3, 9, 6);
  FillStroke(cr, 0x5A6688, t.line, 1.6);
  RoundRect(cr, 62, y + 3, 6, 8, 2);
  FillStroke(cr, 0x4A5678, t.line, 1.6);
  Ellipse(cr, 70, y - 1, 2.5, 2.5);
  Fill(cr, 0x4FE3FF);
  Ellipse(cr, 63, y + 5, 4.2, 4.2);
  FillStroke(cr, t.glove, t.line, 2);
}

void Body(cairo_t* cr, const Pose& pose, const Tint& t, int variant) {
  double b = pose.bob;
  if (variant == 2) JetPack(cr, b, t);
  // Far arm and leg first.
  Arm(cr, 41, 37 - b, pose.backHand * (variant == 1 ? 0.4 : 1.0), t, true);
  Leg(cr, 41, 60 - b, 42 + pose.backFootX, pose.backLift, t, true);
  // Torso.
  RoundRect(cr, 31, 30 - b, 29, 31, 9);
  FillStrokeV(cr, 30 - b, 61 - b, t.suitLight, t.suitDark, t.line, 2.5);
  // Belt with a buckle.
  cairo_rectangle(cr, 32, 52 - b, 27, 5);
  FillStroke(cr, 0x3A2A1A, t.line, 1.2);
  cairo_rectangle(cr, 43, 51 - b, 6, 7);
  FillStroke(cr, 0xFFD23A, t.line, 1.2);
  // Chest badge: a little bomb.
  Ellipse(cr, 47, 42 - b, 4, 4);
  FillStroke(cr, 0x2A2440, t.line, 1.2);
  Line(cr, 49, 38.5 - b, 51, 36 - b, 1.5, 0xFFE040);
  Leg(cr, 49, 60 - b, 50 + pose.frontFootX, pose.frontLift, t, false);
  // Head: round helmet, visor to the front.
  double hy = 17 - b;
  Ellipse(cr, 46, hy, 15, 14.5);
  FillStrokeR(cr, 41, hy - 6, 18, Lighter(t.helmet, 0.5), t.helmetDark, t.line, 2.5);
  // Ear guard and antenna with a spark ball (it is a fuse-proof suit).
  Ellipse(cr, 40, hy + 2, 4.5, 5);
  FillStroke(cr, t.helmetDark, t.line, 1.8);
  Line(cr, 38, hy - 10, 33.5, hy - 13, 2, t.line);
  Ellipse(cr, 32.5, hy - 13.5, 2.4, 2.4);
  FillStroke(cr, 0xFF5A3A, t.line, 1.4);
  RoundRect(cr, 45, hy - 6, 17, 12, 5);
  FillStrokeR(cr, 53, hy - 4, 12, 0xFFFFFF, t.visor, t.line, 2.2);
  Line(cr, 50, hy - 3, 56, hy - 3, 1.8, 0xFFFFFF);
  // Near arm (or the blaster).
  if (variant == 1)
    Blaster(cr, b, t);
  else
    Arm(cr, 49, 37 - b, pose.frontHand, t, false);
}

}  // namespace

void DrawHero(cairo_t* cr, const Frame& f) { Body(cr, WalkPose(f.Index, f.Count), kNormal, f.Variant); }

void DrawHeroFrozen(cairo_t* cr, const Frame& f) {
  (void)f;
  // A block of ice with the hero stiff inside it.
  cairo_move_to(cr, 24, 6);
  cairo_line_to(cr, 66, 2);
  cairo_line_to(cr, 75, 24);
  cairo_line_to(cr, 71, 83);
  cairo_line_to(cr, 22, 84);
  cairo_line_to(cr, 16, 40);
  cairo_close_path(cr);
  FillStrokeV(cr, 0, 85, 0xE4FAFF, 0x8CCFF2, 0x1E4A7A, 2.5);
  Pose still = WalkPose(0, 8);
  Body(cr, still, Frozen(), 0);
  // Facets and glints on the ice.
  Line(cr, 26, 12, 34, 8, 2, 0xFFFFFF);
  Line(cr, 66, 8, 71, 22, 2, 0xFFFFFF);
  Line(cr, 20, 44, 24, 70, 1.5, 0xFFFFFF);
  Line(cr, 60, 70, 68, 60, 1.5, 0xBFEFFF);
  Star(cr, 64, 14, 6, 1.6, 4, 0);
  Fill(cr, 0xFFFFFF);
  Star(cr, 27, 66, 4.5, 1.3, 4, 0.4);
  Fill(cr, 0xFFFFFF);
}

void DrawHeroShield(cairo_t* cr, const Frame& f) {
  (void)f;
  // A ring of energy around the hero; inside stays transparent.
  Ellipse(cr, 45, 43, 41, 40);
  SetColour(cr, 0x0C3A66);
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);
  Ellipse(cr, 45, 43, 41, 40);
  SetColour(cr, 0x5FEBFF);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  cairo_arc(cr, 45, 43, 39, kPi * 1.1, kPi * 1.45);
  SetColour(cr, 0xFFFFFF);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  const double at[5][2] = {{12, 20}, {80, 30}, {70, 78}, {14, 66}, {50, 4}};
  for (int i = 0; i < 5; ++i) {
    Star(cr, at[i][0], at[i][1], 5, 1.4, 4, i * 0.3);
    FillStroke(cr, 0xFFFFFF, 0x1A6AA0, 1);
  }
}

void DrawJumpPuff(cairo_t* cr, const Frame& f) {
  double w = f.Width, h = f.Height;
  double t = double(f.Index) / f.Count;  // 0 .. 1: the puff spreads
  if (f.Variant == 1) {
    // High jump: twin jets of fire from the boots, then a ring of smoke.
    double len = h - 4 - 4 * t;
    for (int i = 0; i < 2; ++i) {
      double cx = 18 + i * 14 + (i ? 1 : -1) * 4 * t;
      cairo_move_to(cr, cx - 6, 2);
      cairo_curve_to(cr, cx - 6, len * 0.5, cx - 2, len * 0.8, cx, len);
      cairo_curve_to(cr, cx + 2, len * 0.8, cx + 6, len * 0.5, cx + 6, 2);
      cairo_close_path(cr);
      FillStrokeV(cr, 2, len, 0xFFFFD0, 0xFF5A10, 0x6A1000, 1.8);
      cairo_move_to(cr, cx - 3, 2);
      cairo_curve_to(cr, cx - 3, len * 0.4, cx, len * 0.6, cx, len * 0.65);
      cairo_curve_to(cr, cx, len * 0.6, cx + 3, len * 0.4, cx + 3, 2);
      cairo_close_path(cr);
      Fill(cr, 0xFFFFE8);
    }
  }
  // Dust puffs to both sides.
  for (int i = 0; i < 4; ++i) {
    double side = (i % 2) ? 1 : -1;
    double reach = 8 + 10 * t + (i / 2) * 7;
    double r = 6.5 - 2.5 * t - (i / 2) * 1.5;
    double cx = w / 2 - 1 + side * reach, cy = h - 7 - (i / 2) * 3 + 2 * t;
    Ellipse(cr, cx, cy, r * 1.2, r);
    FillStrokeR(cr, cx - 2, cy - 2, r * 1.5, 0xFFFFFF, 0xB8C8E8, 0x3A4A7A, 1.6);
  }
  if (f.Variant == 0) {
    // A springy arc under the feet.
    cairo_arc(cr, w / 2, h + 6 - 3 * t, 14 + 6 * t, kPi * 1.15, kPi * 1.85);
    SetColour(cr, 0x3A4A7A);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    cairo_arc(cr, w / 2, h + 6 - 3 * t, 14 + 6 * t, kPi * 1.15, kPi * 1.85);
    SetColour(cr, 0xFFFFFF);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  }
}

void DrawMuzzleFlash(cairo_t* cr, const Frame& f) {
  double t = double(f.Index) / f.Count;
  double len = 22 * (1 - 0.55 * t), r = 5.5 * (1 - 0.4 * t);
  double cy = f.Height / 2.0;
  cairo_move_to(cr, 1, cy - r);
  cairo_line_to(cr, len * 0.55, cy - r * 0.8);
  cairo_line_to(cr, len, cy);
  cairo_line_to(cr, len * 0.55, cy + r * 0.8);
  cairo_line_to(cr, 1, cy + r);
  cairo_close_path(cr);
  FillStroke(cr, 0xFFB020, 0x7A2000, 1.5);
  Star(cr, 6, cy, r + 0.5, r * 0.45, 4, kPi / 4 * f.Index);
  FillStroke(cr, 0xFFFFE0, 0xFF7A10, 1);
}

}  // namespace fusewick::art
