#pragma once
// Small drawing helpers shared by every picture of the game.
#include <cairo.h>

#include <cstdint>

namespace fusewick::art {

constexpr double kPi = 3.14159265358979323846;

// Outline colour of every sprite silhouette.
constexpr uint32_t kInk = 0x1A1024;

void SetColour(cairo_t* cr, uint32_t rgb);
// Mixes two colours: t = 0 gives a, t = 1 gives b.
uint32_t Mix(uint32_t a, uint32_t b, double t);
uint32_t Lighter(uint32_t c, double t);
uint32_t Darker(uint32_t c, double t);

// Path builders (they start a new sub-path).
void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r);
void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry);
void Star(cairo_t* cr, double cx, double cy, double outer, double inner, int points, double turn);

// Fills the current path with a colour and strokes it with the outline.
void FillStroke(cairo_t* cr, uint32_t fill, uint32_t line = kInk, double width = 2.0);
// The same with a vertical gradient from top colour to bottom colour.
void FillStrokeV(cairo_t* cr, double y0, double y1, uint32_t top, uint32_t bottom, uint32_t line = kInk,
                 double width = 2.0);
// The same with a radial gradient (highlight at (hx, hy), outer colour at r).
void FillStrokeR(cairo_t* cr, double hx, double hy, double r, uint32_t inner, uint32_t outer, uint32_t line = kInk,
                 double width = 2.0);
// Fills the current path only.
void Fill(cairo_t* cr, uint32_t fill);
void FillV(cairo_t* cr, double y0, double y1, uint32_t top, uint32_t bottom);
// Strokes a line of the given width and colour with round ends.
void Line(cairo_t* cr, double x0, double y0, double x1, double y1, double width, uint32_t colour);

// A small deterministic generator: the same picture on every build.
class Rng {
 public:
  explicit Rng(uint32_t seed) : s_(seed ? seed : 0x9E3779B9u) {}
  uint32_t Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
  }
  double Uniform(double lo, double hi) { return lo + (hi - lo) * (Next() % 100000) / 100000.0; }
  int Below(int n) { return n > 0 ? int(Next() % uint32_t(n)) : 0; }

 private:
  uint32_t s_;
};

}  // namespace fusewick::art
