#include "paint.h"

#include <cmath>

namespace fusewick::art {

void SetColour(cairo_t* cr, uint32_t rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

static void AddStop(cairo_pattern_t* p, double at, uint32_t rgb) {
  cairo_pattern_add_color_stop_rgb(p, at, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                                   (rgb & 0xFF) / 255.0);
}

uint32_t Mix(uint32_t a, uint32_t b, double t) {
  auto ch = [&](int shift) {
    double x = ((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t;
    int v = int(std::lround(x));
    return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v) << shift;
  };
  return ch(16) | ch(8) | ch(0);
}
uint32_t Lighter(uint32_t c, double t) { return Mix(c, 0xFFFFFF, t); }
uint32_t Darker(uint32_t c, double t) { return Mix(c, 0x000000, t); }

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  if (r > w / 2) r = w / 2;
  if (r > h / 2) r = h / 2;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
  cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
  cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
  if (rx <= 0 || ry <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_close_path(cr);
  cairo_restore(cr);
}

void Star(cairo_t* cr, double cx, double cy, double outer, double inner, int points, double turn) {
  cairo_new_sub_path(cr);
  for (int i = 0; i < points * 2; ++i) {
    double r = (i % 2) ? inner : outer;
    double a = turn + kPi * i / points - kPi / 2;
    double x = cx + r * std::cos(a), y = cy + r * std::sin(a);
    if (i == 0)
      cairo_move_to(cr, x, y);
    else
      cairo_line_to(cr, x, y);
  }
  cairo_close_path(cr);
}

static void StrokeOutline(cairo_t* cr, uint32_t line, double width) {
  if (width <= 0) {
    cairo_new_path(cr);
    return;
  }
  SetColour(cr, line);
  cairo_set_line_width(cr, width);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

void FillStroke(cairo_t* cr, uint32_t fill, uint32_t line, double width) {
  SetColour(cr, fill);
  cairo_fill_preserve(cr);
  StrokeOutline(cr, line, width);
}

void FillStrokeV(cairo_t* cr, double y0, double y1, uint32_t top, uint32_t bottom, uint32_t line, double width) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  AddStop(p, 0, top);
  AddStop(p, 1, bottom);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  StrokeOutline(cr, line, width);
}

void FillStrokeR(cairo_t* cr, double hx, double hy, double r, uint32_t inner, uint32_t outer, uint32_t line,
                 double width) {
  cairo_pattern_t* p = cairo_pattern_create_radial(hx, hy, 0, hx, hy, r);
  AddStop(p, 0, inner);
  AddStop(p, 1, outer);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  StrokeOutline(cr, line, width);
}

void Fill(cairo_t* cr, uint32_t fill) {
  SetColour(cr, fill);
  cairo_fill(cr);
}

void FillV(cairo_t* cr, double y0, double y1, uint32_t top, uint32_t bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  AddStop(p, 0, top);
  AddStop(p, 1, bottom);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void Line(cairo_t* cr, double x0, double y0, double x1, double y1, double width, uint32_t colour) {
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  SetColour(cr, colour);
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_stroke(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

}  // namespace fusewick::art
