// Platforms, clouds, walls, the ground tiles and the backgrounds.
#include <algorithm>
#include <cmath>
#include <vector>

#include "draw.h"
#include "paint.h"
#include "text.h"

namespace fusewick::art {

namespace {

// The deck of a platform: a steel plate with rivets and a lit top edge.
void Deck(cairo_t* cr, double x, double w, uint32_t top, uint32_t bottom, uint32_t edge) {
  RoundRect(cr, x + 1, 1, w - 2, 18, 5);
  FillStrokeV(cr, 1, 19, top, bottom, kInk, 2.2);
  Line(cr, x + 6, 4, x + w - 6, 4, 2, edge);
  // Truss underneath the top strip.
  cairo_save(cr);
  cairo_rectangle(cr, x + 3, 8, w - 6, 9);
  cairo_clip(cr);
  for (double i = x - 10; i < x + w; i += 14) {
    Line(cr, i, 17, i + 9, 8, 1.6, Darker(bottom, 0.45));
    Line(cr, i + 9, 8, i + 18, 17, 1.6, Darker(bottom, 0.45));
  }
  cairo_restore(cr);
  Line(cr, x + 3, 8, x + w - 3, 8, 1.4, Darker(bottom, 0.35));
  for (double i = x + 9; i < x + w - 6; i += 22) {
    Ellipse(cr, i, 12.5, 1.6, 1.6);
    Fill(cr, Lighter(top, 0.6));
  }
}

}  // namespace

void DrawPlatformFixed(cairo_t* cr, const Frame& f) { Deck(cr, 0, f.Width, 0x6FE0C8, 0x1F8A7A, 0xE8FFF8); }

void DrawPlatformEngines(cairo_t* cr, const Frame& f) {
  double w = f.Width;
  // Engine pods at both ends (the flames hang from y 31 at x 0 and 152).
  for (int i = 0; i < 2; ++i) {
    double x = i ? w - 19 : 0;
    RoundRect(cr, x + 1, 6, 17, 20, 5);
    FillStrokeV(cr, 6, 26, 0xE8ECF8, 0x6A7898, kInk, 2);
    cairo_move_to(cr, x + 3, 24);
    cairo_line_to(cr, x + 16, 24);
    cairo_line_to(cr, x + 17.5, 30.5);
    cairo_line_to(cr, x + 1.5, 30.5);
    cairo_close_path(cr);
    FillStroke(cr, 0x3A3E58, kInk, 1.8);
  }
  Deck(cr, 12, w - 24, 0xFFC86A, 0xD2620A, 0xFFF6D8);
  // Hazard chevrons on the moving deck.
  for (double i = 40; i < w - 40; i += 30) {
    cairo_move_to(cr, i, 10);
    cairo_line_to(cr, i + 5, 13.5);
    cairo_line_to(cr, i, 17);
    SetColour(cr, 0x3A1A0A);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  }
  for (int i = 0; i < 2; ++i) {
    double x = i ? w - 19 : 0;
    Ellipse(cr, x + 9.5, 13, 3, 3);
    FillStrokeR(cr, x + 9, 12, 4, 0xFFFFFF, 0x4FE3FF, kInk, 1.2);
  }
}

void DrawCloud(cairo_t* cr, const Frame& f) {
  double w = f.Width, h = f.Height;
  const double puffs[7][3] = {{30, 38, 17},  {58, 28, 21}, {93, 25, 22}, {128, 29, 21},
                              {158, 37, 17}, {76, 40, 17}, {116, 40, 17}};
  auto path = [&](double grow) {
    cairo_new_path(cr);
    for (auto& p : puffs) Ellipse(cr, p[0], p[1], p[2] + grow, p[2] + grow);
    RoundRect(cr, 14 - grow, 34 - grow, w - 28 + 2 * grow, h - 36 + 2 * grow, 12);
  };
  path(2);
  Fill(cr, 0x5A6AA0);
  path(0);
  FillV(cr, 0, h, 0xFFFFFF, 0xC8D8F4);
  // Soft shading band along the bottom.
  cairo_save(cr);
  path(0);
  cairo_clip(cr);
  cairo_rectangle(cr, 0, h - 12, w, 12);
  Fill(cr, 0xB0C4EC);
  for (auto& p : puffs) {
    Ellipse(cr, p[0] - p[2] * 0.3, p[1] - p[2] * 0.35, p[2] * 0.35, p[2] * 0.22);
    Fill(cr, 0xFFFFFF);
  }
  cairo_restore(cr);
}

void DrawWall(cairo_t* cr, const Frame& f) {
  double w = f.Width, h = f.Height;
  cairo_rectangle(cr, 1, 7, w - 2, h - 8);
  FillStroke(cr, 0x7A2E1E, kInk, 2);
  // Bricks in running bond.
  cairo_save(cr);
  cairo_rectangle(cr, 2, 8, w - 4, h - 10);
  cairo_clip(cr);
  for (int row = 0; row < 9; ++row) {
    double y = 8 + row * 10;
    double off = (row % 2) ? -11 : 0;
    for (double x = off + 2; x < w; x += 22) {
      RoundRect(cr, x + 0.8, y + 0.8, 20.4, 8.4, 1.5);
      uint32_t c = ((row * 3 + int(x)) % 5 == 0) ? 0xD8623A : 0xC24E2E;
      FillStrokeV(cr, y, y + 9, Lighter(c, 0.2), c, 0x5A1E12, 1);
    }
  }
  cairo_restore(cr);
  // Cap stone.
  RoundRect(cr, 0.5, 0.5, w - 1, 9, 3);
  FillStrokeV(cr, 0, 10, 0xE8E4F0, 0x8A86A0, kInk, 2);
}

void DrawGrass(cairo_t* cr, const Frame& f) {
  double w = f.Width, h = f.Height;
  cairo_rectangle(cr, 0, 0, w, h);
  FillV(cr, 0, h, 0x8A5A2E, 0x4A2A14);
  // Pebbles in the soil (placed to tile left to right).
  Rng rng(5);
  for (int i = 0; i < 9; ++i) {
    double x = rng.Uniform(4, w - 4), y = rng.Uniform(16, h - 4);
    Ellipse(cr, x, y, 2.5, 1.6);
    Fill(cr, 0xA87848);
  }
  cairo_rectangle(cr, 0, 0, w, 11);
  FillV(cr, 0, 11, 0x9AF05A, 0x3AA02A);
  // Blades along the edge, a whole number per tile so the tiles join.
  for (int i = 0; i < 20; ++i) {
    double x = i * 5 + 2.5;
    cairo_move_to(cr, x - 2.5, 11);
    cairo_line_to(cr, x + ((i % 3) - 1) * 1.2, 15 + (i % 2) * 3);
    cairo_line_to(cr, x + 2.5, 11);
    cairo_close_path(cr);
    Fill(cr, 0x3AA02A);
  }
  cairo_rectangle(cr, 0, 0, w, 2);
  Fill(cr, 0xD8FF9A);
  for (int i = 0; i < 4; ++i) {
    Ellipse(cr, 12 + i * 25, 5, 1.6, 1.6);
    Fill(cr, (i % 2) ? 0xFFFFFF : 0xFFE040);
  }
}

void DrawWater(cairo_t* cr, const Frame& f) {
  double w = f.Width, h = f.Height;
  cairo_rectangle(cr, 0, 0, w, h);
  FillV(cr, 0, h, 0x3AB0FF, 0x0A3A9A);
  // Waves: one or two whole periods per tile so the tiles join.
  for (int band = 0; band < 3; ++band) {
    double y = 3 + band * 9;
    cairo_move_to(cr, 0, y);
    for (int x = 0; x <= int(w); ++x) cairo_line_to(cr, x, y + 1.8 * std::sin(2 * kPi * (x / 50.0 + band * 0.3)));
    SetColour(cr, band == 0 ? 0xE8FFFF : Mix(0x8AE0FF, 0x3A8AE8, band / 2.0));
    cairo_set_line_width(cr, band == 0 ? 2.5 : 1.5);
    cairo_stroke(cr);
  }
  Rng rng(9);
  for (int i = 0; i < 5; ++i) {
    double x = rng.Uniform(6, w - 6), y = rng.Uniform(10, h - 6);
    Line(cr, x - 3, y, x + 3, y, 1.4, 0xBFF0FF);
  }
}

// ------------------------------------------------------------ backgrounds

namespace {

void Sky(cairo_t* cr, uint32_t top, uint32_t middle, uint32_t bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 600);
  auto stop = [&](double at, uint32_t c) {
    cairo_pattern_add_color_stop_rgb(p, at, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0);
  };
  stop(0, top);
  stop(0.55, middle);
  stop(1, bottom);
  cairo_rectangle(cr, 0, 0, 800, 600);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

// A band of rolling hills: baseline y, amplitude, seed.
void Hills(cairo_t* cr, double y, double amp, double waves, double phase, uint32_t top, uint32_t bottom) {
  cairo_move_to(cr, 0, 600);
  for (int x = 0; x <= 800; x += 4)
    cairo_line_to(cr, x,
                  y - amp * (0.6 * std::sin(2 * kPi * (x / 800.0 * waves) + phase) +
                             0.4 * std::sin(2 * kPi * (x / 800.0 * waves * 2.3) + phase * 1.7)));
  cairo_line_to(cr, 800, 600);
  cairo_close_path(cr);
  FillV(cr, y - amp, 600, top, bottom);
}

void Mountains(cairo_t* cr, double y, double height, int peaks, uint32_t seed, uint32_t rock, uint32_t shade,
               uint32_t snow) {
  Rng rng(seed);
  std::vector<std::pair<double, double>> pts;
  double step = 800.0 / peaks;
  pts.push_back({-20, y});
  for (int i = 0; i <= peaks; ++i) {
    double x = i * step + rng.Uniform(-step * 0.2, step * 0.2);
    pts.push_back({x - step / 2, y - rng.Uniform(0.1, 0.3) * height});
    pts.push_back({x, y - rng.Uniform(0.7, 1.0) * height});
  }
  pts.push_back({820, y});
  cairo_move_to(cr, -20, 600);
  for (auto& p : pts) cairo_line_to(cr, p.first, p.second);
  cairo_line_to(cr, 820, 600);
  cairo_close_path(cr);
  FillV(cr, y - height, 600, rock, shade);
  if (snow) {
    for (size_t i = 2; i + 1 < pts.size(); i += 2) {
      auto [px, py] = pts[i];
      if (py > y - height * 0.72) continue;
      double d = (y - py) * 0.22;
      cairo_move_to(cr, px, py);
      cairo_line_to(cr, px + d * 0.9, py + d);
      cairo_line_to(cr, px + d * 0.3, py + d * 0.8);
      cairo_line_to(cr, px - d * 0.2, py + d * 1.05);
      cairo_line_to(cr, px - d * 0.9, py + d);
      cairo_close_path(cr);
      Fill(cr, snow);
    }
  }
}

void SoftCloud(cairo_t* cr, double x, double y, double s, uint32_t colour) {
  Ellipse(cr, x, y, 40 * s, 12 * s);
  Ellipse(cr, x - 20 * s, y - 6 * s, 20 * s, 12 * s);
  Ellipse(cr, x + 14 * s, y - 10 * s, 24 * s, 15 * s);
  Fill(cr, colour);
}

void Stars(cairo_t* cr, int count, uint32_t seed, double maxY) {
  Rng rng(seed);
  for (int i = 0; i < count; ++i) {
    double x = rng.Uniform(0, 800), y = rng.Uniform(0, maxY);
    double r = rng.Uniform(0.6, 1.6);
    if (i % 9 == 0) {
      Star(cr, x, y, r * 3, r * 0.8, 4, 0);
      Fill(cr, 0xFFFFFF);
    } else {
      Ellipse(cr, x, y, r, r);
      Fill(cr, (i % 3) ? 0xE8ECFF : 0xFFF2C0);
    }
  }
}

void Buildings(cairo_t* cr, double ground, uint32_t seed, double minH, double maxH, double minW, double maxW,
               uint32_t body, uint32_t window, double windowChance) {
  Rng rng(seed);
  double x = -10;
  while (x < 810) {
    double w = rng.Uniform(minW, maxW), h = rng.Uniform(minH, maxH);
    cairo_rectangle(cr, x, ground - h, w, h + 1);
    Fill(cr, body);
    if (rng.Below(3) == 0) {
      cairo_rectangle(cr, x + w * 0.4, ground - h - 14, 3, 14);
      Fill(cr, body);
    }
    for (double wy = ground - h + 8; wy < ground - 6; wy += 12)
      for (double wx = x + 5; wx < x + w - 7; wx += 10)
        if (rng.Uniform(0, 1) < windowChance) {
          cairo_rectangle(cr, wx, wy, 5, 6);
          Fill(cr, window);
        }
    x += w + rng.Uniform(0, 6);
  }
}

}  // namespace

void DrawBackground(cairo_t* cr, const Frame& f) {
  switch (f.Variant) {
    case 1:  // green hills under a morning sky
      Sky(cr, 0x5FB4F0, 0xA8DCF8, 0xE8F6FF);
      Ellipse(cr, 640, 120, 46, 46);
      Fill(cr, 0xFFF6C0);
      Ellipse(cr, 640, 120, 36, 36);
      Fill(cr, 0xFFFFE8);
      SoftCloud(cr, 150, 190, 1.4, 0xF4FAFF);
      SoftCloud(cr, 470, 250, 1.0, 0xF0F8FF);
      SoftCloud(cr, 720, 300, 1.2, 0xF4FAFF);
      Hills(cr, 420, 50, 1.5, 0.4, 0x8AC8A0, 0x6AA888);
      Hills(cr, 480, 40, 2.2, 2.0, 0x5AB06A, 0x3A8A4A);
      Hills(cr, 540, 30, 3.0, 1.1, 0x3A9A4A, 0x2A6A34);
      {
        Rng rng(3);
        for (int i = 0; i < 14; ++i) {
          double x = rng.Uniform(10, 790), y = 500 + rng.Uniform(0, 50);
          Line(cr, x, y, x, y - 14, 3, 0x4A3020);
          Ellipse(cr, x, y - 20, 9, 11);
          Fill(cr, 0x2A7A3A);
        }
      }
      break;
    case 2:  // city skyline at sunset
      Sky(cr, 0x3A2A8A, 0xE0607A, 0xFFC46A);
      Ellipse(cr, 400, 430, 90, 90);
      Fill(cr, 0xFFE08A);
      Ellipse(cr, 400, 430, 70, 70);
      Fill(cr, 0xFFF2C0);
      for (int i = 0; i < 4; ++i) {
        cairo_rectangle(cr, 0, 90 + i * 38, 800, 6 - i);
        Fill(cr, Mix(0x5A3A9A, 0xE07A8A, i / 3.0));
      }
      Buildings(cr, 600, 21, 120, 260, 40, 90, 0x6A3A7A, 0xFFD88A, 0.25);
      Buildings(cr, 600, 22, 60, 170, 30, 70, 0x3A1E4A, 0xFFE8A0, 0.35);
      break;
    case 3:  // moonlit night
      Sky(cr, 0x0A0E30, 0x1E2A6A, 0x3A4A8A);
      Stars(cr, 160, 44, 420);
      Ellipse(cr, 170, 130, 44, 44);
      FillStrokeR(cr, 160, 118, 50, 0xFFFFF0, 0xD8DCF0, 0x3A4A8A, 0);
      Ellipse(cr, 158, 122, 8, 7);
      Fill(cr, 0xC8CCE4);
      Ellipse(cr, 184, 146, 6, 5);
      Fill(cr, 0xC8CCE4);
      Hills(cr, 470, 45, 1.2, 0.8, 0x2A3A7A, 0x1A2458);
      Buildings(cr, 600, 31, 40, 110, 24, 50, 0x141A44, 0xFFE070, 0.2);
      break;
    case 4:  // snowy mountains at dusk
      Sky(cr, 0x4A3A9A, 0xA87AC8, 0xF0B8C8);
      Stars(cr, 40, 55, 180);
      Mountains(cr, 470, 280, 5, 7, 0x8A7AB8, 0x5A4A8A, 0xF4F0FF);
      Mountains(cr, 530, 200, 7, 8, 0x5A4A8A, 0x3A2E6A, 0xE0D8F8);
      Hills(cr, 560, 20, 3.0, 0.2, 0x2E2A5A, 0x1E1A40);
      {
        Rng rng(4);
        for (int i = 0; i < 22; ++i) {
          double x = rng.Uniform(0, 800), y = 560 + rng.Uniform(-6, 20);
          double s = rng.Uniform(0.7, 1.3);
          cairo_move_to(cr, x, y - 34 * s);
          cairo_line_to(cr, x + 11 * s, y);
          cairo_line_to(cr, x - 11 * s, y);
          cairo_close_path(cr);
          Fill(cr, 0x1A2A4A);
        }
      }
      break;
    default:  // desert mesas under a hot sky
      Sky(cr, 0x2A8AE0, 0x8AD0F0, 0xFFE8B0);
      Ellipse(cr, 130, 110, 40, 40);
      Fill(cr, 0xFFFFD8);
      SoftCloud(cr, 560, 150, 1.1, 0xF8FCFF);
      {
        // Mesas: flat-topped rocks in two layers.
        const double mesas[5][4] = {
            {40, 330, 200, 0}, {300, 380, 160, 0}, {520, 300, 240, 0}, {-40, 430, 180, 1}, {600, 420, 230, 1}};
        for (auto& m : mesas) {
          double x = m[0], top = m[1], w = m[2];
          uint32_t c0 = m[3] ? 0xC8603A : 0xE0906A, c1 = m[3] ? 0x8A3A22 : 0xB8684A;
          cairo_move_to(cr, x, 600);
          cairo_line_to(cr, x + 20, top + 30);
          cairo_line_to(cr, x + 30, top);
          cairo_line_to(cr, x + w - 30, top);
          cairo_line_to(cr, x + w - 18, top + 40);
          cairo_line_to(cr, x + w, 600);
          cairo_close_path(cr);
          FillV(cr, top, 600, c0, c1);
          for (int s = 1; s < 4; ++s) {
            cairo_rectangle(cr, x + 24 - s * 2, top + s * 32, w - 46 + s * 4, 3);
            Fill(cr, Darker(c0, 0.15));
          }
        }
      }
      Hills(cr, 540, 14, 2.0, 0.7, 0xF0C078, 0xD8A060);
      {
        // Cacti.
        const double cacti[3][2] = {{220, 548}, {470, 556}, {720, 544}};
        for (auto& c : cacti) {
          RoundRect(cr, c[0] - 5, c[1] - 44, 10, 46, 5);
          Fill(cr, 0x3A8A4A);
          RoundRect(cr, c[0] - 16, c[1] - 32, 8, 18, 4);
          Fill(cr, 0x3A8A4A);
          Line(cr, c[0] - 12, c[1] - 16, c[0] - 4, c[1] - 16, 6, 0x3A8A4A);
        }
      }
      break;
  }
}

void DrawMenuBackground(cairo_t* cr, const Frame& f) {
  (void)f;
  Sky(cr, 0x120E3A, 0x3A1E6A, 0x8A3A7A);
  Stars(cr, 140, 91, 600);
  // Light rays behind the title.
  for (int i = 0; i < 14; ++i) {
    double a = kPi * (i / 14.0) + 0.05;
    cairo_move_to(cr, 400, 90);
    cairo_line_to(cr, 400 + 700 * std::cos(a - 0.05), 90 + 700 * std::sin(a - 0.05) * -0.0 + 700 * std::sin(a - 0.05));
    cairo_line_to(cr, 400 + 700 * std::cos(a + 0.05), 90 + 700 * std::sin(a + 0.05));
    cairo_close_path(cr);
    Fill(cr, (i % 2) ? 0x2E1E62 : 0x261A56);
  }
  Buildings(cr, 600, 61, 40, 150, 30, 70, 0x1A1040, 0xFFD070, 0.18);
  Hills(cr, 590, 10, 2, 0.3, 0x2A1A50, 0x1A1036);
  // Title.
  LabelStyle title;
  title.Size = 92;
  title.Outline = 7;
  title.FillTop = 0xFFF6A0;
  title.FillBottom = 0xFF6A10;
  title.Line = 0x1A0A20;
  DrawLabel(cr, "FUSEWICK", 403, 124, Align::Centre, title);
  // A bomb with a burning fuse dotting the I of the title's end.
  PaintBombBody(cr, 86, 134, 26);
  Star(cr, 104, 96, 12, 4, 6, 0.2);
  FillStroke(cr, 0xFFE040, 0xC03000, 1.6);
  cairo_move_to(cr, 92, 106);
  cairo_curve_to(cr, 96, 98, 100, 100, 103, 97);
  SetColour(cr, 0xE8C890);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  PaintBombBody(cr, 716, 140, 20);
  Star(cr, 730, 108, 10, 3.5, 6, 0.5);
  FillStroke(cr, 0xFFE040, 0xC03000, 1.5);
  LabelStyle sub;
  sub.Size = 17;
  sub.Outline = 2;
  sub.FillTop = 0xBFF0FF;
  sub.FillBottom = 0x6AC8FF;
  sub.Line = 0x0A0A30;
  DrawLabel(cr, "CLEAR THE BOMBS BEFORE THE FUSES BURN DOWN", 400, 160, Align::Centre, sub);
  LabelStyle ver = sub;
  ver.Size = 12;
  ver.Outline = 1.2;
  DrawLabel(cr, "v2.0", 786, 590, Align::Right, ver);
}

}  // namespace fusewick::art
