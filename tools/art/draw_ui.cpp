// Fonts, buttons, captions, message windows and the head-up display.
#include <algorithm>
#include <cmath>
#include <string>

#include "draw.h"
#include "paint.h"
#include "text.h"

namespace fusewick::art {

namespace {

// Panel and button colours shared by the menu screens and the windows.
constexpr uint32_t kPanelTop = 0x32388C, kPanelBottom = 0x161848, kPanelRim = 0xFFC53D;
constexpr uint32_t kPanelRimDark = 0xB86E12, kInset = 0x0E0F33;
constexpr uint32_t kButtonTop = 0x4057C8, kButtonBottom = 0x1E2A7A, kButtonRim = 0x9DB4FF;
constexpr uint32_t kLitTop = 0xFFE05A, kLitBottom = 0xFF6A00, kLitRim = 0xFFF6C0;

LabelStyle Heading(double size) {
  LabelStyle s;
  s.Size = size;
  s.Outline = size / 9;
  s.FillTop = 0xFFF6B0;
  s.FillBottom = 0xFF9A1A;
  s.Line = kInk;
  return s;
}

LabelStyle Plain(double size, uint32_t fill = 0xF2F4FF) {
  LabelStyle s;
  s.Size = size;
  s.Outline = 1.6;
  s.FillTop = fill;
  s.FillBottom = fill;
  s.Line = kInk;
  return s;
}

// A glassy panel: rounded, gradient body, gold rim, dark outline.
void Panel(cairo_t* cr, double x, double y, double w, double h, double r) {
  RoundRect(cr, x + 2, y + 2, w - 4, h - 4, r);
  FillStroke(cr, kPanelRim, kInk, 3);
  RoundRect(cr, x + 6, y + 6, w - 12, h - 12, r - 3);
  FillStrokeV(cr, y + 6, y + h - 6, kPanelTop, kPanelBottom, kPanelRimDark, 2);
  // A soft sheen across the upper part.
  cairo_save(cr);
  RoundRect(cr, x + 7, y + 7, w - 14, h - 14, r - 4);
  cairo_clip(cr);
  cairo_move_to(cr, x, y + 7);
  cairo_line_to(cr, x + w, y + 7);
  cairo_line_to(cr, x + w, y + std::min(34.0, h * 0.22));
  cairo_curve_to(cr, x + w * 0.6, y + std::min(24.0, h * 0.16), x + w * 0.3, y + std::min(40.0, h * 0.26), x,
                 y + std::min(30.0, h * 0.2));
  cairo_close_path(cr);
  Fill(cr, 0x3E46A4);
  cairo_restore(cr);
}

void Inset(cairo_t* cr, double x, double y, double w, double h, double r) {
  RoundRect(cr, x, y, w, h, r);
  FillStrokeV(cr, y, y + h, kInset, 0x23265E, 0x5A63B8, 1.5);
}

// Corner rivets of a panel.
void Rivets(cairo_t* cr, double x, double y, double w, double h) {
  for (int i = 0; i < 4; ++i) {
    double cx = (i % 2) ? x + w - 13 : x + 13, cy = (i / 2) ? y + h - 13 : y + 13;
    Ellipse(cr, cx, cy, 3.2, 3.2);
    FillStrokeR(cr, cx - 1, cy - 1, 4, 0xFFF3C0, 0xC98A1C, kInk, 1.2);
  }
}

const char* kMainLabels[5] = {"NEW GAME", "OPTIONS", "HIGH SCORES", "HELP", "WEB SITE"};

std::string ButtonText(int label, int index) {
  switch (label) {
    case kMainMenu: return kMainLabels[index % 5];
    case kExit: return "EXIT";
    case kBack: return "BACK";
    case kClear: return "CLEAR TABLE";
    case kView: return "WORLD HIGH SCORES";
    case kPrevious: return "PREVIOUS";
    case kNext: return "NEXT";
  }
  return "";
}

}  // namespace

// ---------------------------------------------------------------- fonts

void DrawFont(cairo_t* cr, const Frame& f) {
  int code = kFirstGlyphCode + f.Index;
  GlyphStyle s{};
  bool wide = f.Variant == 3;
  switch (f.Variant) {
    case 0:  // small: the head-up display
      s = {13, 3, 1.3, 0xFFFFFF, 0xFFE58A, kInk, 0};
      break;
    case 1:  // medium, not selected
      s = {16, 3, 1.5, 0xC8D6F4, 0x7C92C4, 0x10143A, 0};
      break;
    case 2:  // medium, selected
      s = {16, 3, 1.5, 0xFFF48A, 0xFF8A12, 0x4A0E00, 0xFFFCE0};
      break;
    default:  // big: the message windows
      s = {19, 1.5, 1.25, 0xFFFFFF, 0xFFC23A, kInk, 0};
      break;
  }
  DrawGlyph(cr, code, InkLimit(wide, code), s);
}

// -------------------------------------------------------------- buttons

void DrawMenuButton(cairo_t* cr, const Frame& f) {
  int label = f.Variant / 2;
  bool lit = f.Variant % 2;
  double w = f.Width, h = f.Height;
  double r = h / 2 - 2;
  RoundRect(cr, 2, 2, w - 4, h - 4, r);
  if (lit) {
    FillStrokeV(cr, 2, h - 2, kLitTop, kLitBottom, kInk, 3);
    RoundRect(cr, 5, 5, w - 10, h - 10, r - 3);
    SetColour(cr, kLitRim);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
  } else {
    FillStrokeV(cr, 2, h - 2, kButtonTop, kButtonBottom, kInk, 3);
    RoundRect(cr, 5, 5, w - 10, h - 10, r - 3);
    SetColour(cr, kButtonRim);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
  }
  // Gloss on the upper half.
  cairo_save(cr);
  RoundRect(cr, 7, 6, w - 14, h / 2 - 5, (h / 2 - 5) / 2);
  Fill(cr, lit ? 0xFFF0A0 : 0x5C74E0);
  cairo_restore(cr);
  LabelStyle s = Plain(h * 0.5);
  if (lit) {
    s.FillTop = 0xFFFFFF;
    s.FillBottom = 0xFFF4D0;
    s.Line = 0x5A1400;
    s.Outline = 2.2;
  } else {
    s.FillTop = 0xE4ECFF;
    s.FillBottom = 0xA8B8F0;
    s.Outline = 1.8;
  }
  DrawLabelFit(cr, ButtonText(label, f.Index), w / 2, h / 2 + h * 0.5 * 0.729 / 2, Align::Centre, s, w - 2 * r - 10);
  if (lit) {
    // Little sparks at both ends of the lit button.
    for (int side = 0; side < 2; ++side) {
      double cx = side ? w - r : r;
      Star(cr, cx, h / 2, 7, 2.6, 4, 0);
      FillStroke(cr, 0xFFFFFF, 0x7A2A00, 1.2);
    }
  }
}

void DrawOptionsRow(cairo_t* cr, const Frame& f) {
  // A frame around a row of the options table; the table shows through.
  // Its top edge is a thin line: the big letters of the free-text row start
  // two pixels below the frame's top.
  double w = f.Width, h = f.Height;
  bool lit = f.Variant == 1;
  RoundRect(cr, 2, 1, w - 4, h - 3, 10);
  RoundRect(cr, 8, 3.5, w - 16, h - 10.5, 6);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  if (lit)
    FillStrokeV(cr, 2, h - 2, kLitTop, kLitBottom, kInk, 2);
  else
    FillStrokeV(cr, 2, h - 2, 0x6F82D8, 0x2E3C96, kInk, 2);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  if (lit) {
    // Arrow heads at the left end point at the row.
    for (int i = 0; i < 2; ++i) {
      double x = 14 + i * 10;
      cairo_move_to(cr, x, h / 2 - 7);
      cairo_line_to(cr, x + 8, h / 2);
      cairo_line_to(cr, x, h / 2 + 7);
      cairo_close_path(cr);
      FillStroke(cr, 0xFFF4A0, 0x6A2000, 1.5);
    }
  }
}

// ------------------------------------------------------------ captions

void DrawOptionsTable(cairo_t* cr, const Frame& f) {
  double w = f.Width, h = f.Height;
  Panel(cr, 0, 0, w, h, 22);
  Rivets(cr, 0, 0, w, h);
  DrawLabel(cr, "OPTIONS", w / 2, 62, Align::Centre, Heading(46));
  // Row labels line up with the words the game writes at x 292.
  const char* labels[4] = {"DISPLAY", "MUSIC", "SOUND", "TEXT"};
  const double baselines[4] = {119, 167, 215, 264};
  for (int i = 0; i < 4; ++i) {
    LabelStyle s = Plain(22, 0xBFD0FF);
    s.FillTop = 0xE8EEFF;
    DrawLabel(cr, labels[i], 44, baselines[i], Align::Left, s);
    DrawLabel(cr, ":", 236, baselines[i], Align::Left, s);
  }
  // The field of the free-text row (the game writes it from x 294).
  // It sits inside the row's frame (the row starts at y 239).
  Inset(cr, 258, 240, 254, 34, 6);
  LabelStyle hint = Plain(12, 0x8FA0D8);
  hint.Outline = 1;
  DrawLabel(cr, "ENTER: SELECT    ARROWS: MOVE", w - 36, 365, Align::Right, hint);
}

void DrawHighScoreTable(cairo_t* cr, const Frame& f) {
  double w = f.Width, h = f.Height;
  Panel(cr, 0, 0, w, h, 22);
  Rivets(cr, 0, 0, w, h);
  DrawLabel(cr, "HIGH SCORES", w / 2, 58, Align::Centre, Heading(42));
  LabelStyle head = Plain(15, 0x9FE8FF);
  DrawLabel(cr, "No.", 26, 91, Align::Left, head);
  DrawLabel(cr, "NAME", 164, 91, Align::Left, head);
  DrawLabel(cr, "SCORE", 440, 91, Align::Left, head);
  // Stripes behind the ten rows (the game writes row i at y 74 + 24 i).
  for (int i = 1; i <= 10; ++i) {
    double y = 74 + 24 * i - 1;
    RoundRect(cr, 18, y, w - 36, 23, 6);
    Fill(cr, (i % 2) ? 0x262B72 : 0x1C205C);
  }
  // Gold, silver and bronze marks before the first three places.
  const uint32_t medal[3] = {0xFFD23A, 0xD8E0F0, 0xE08A4A};
  for (int i = 0; i < 3; ++i) {
    double cy = 74 + 24 * (i + 1) + 11;
    Ellipse(cr, 74, cy, 7, 7);
    FillStrokeR(cr, 72, cy - 2, 8, 0xFFFFFF, medal[i], kInk, 1.5);
  }
}

namespace {

void HelpTitle(cairo_t* cr, double w, const char* title, int page) {
  DrawLabel(cr, title, w / 2, 52, Align::Centre, Heading(36));
  LabelStyle s = Plain(13, 0x9FB0E8);
  s.Outline = 1;
  DrawLabel(cr, std::to_string(page) + " / 3", w - 34, 40, Align::Right, s);
}

void HelpLine(cairo_t* cr, double x, double y, const std::string& text, uint32_t colour = 0xF2F4FF, double size = 15) {
  LabelStyle s = Plain(size, colour);
  s.FontFace = Face::Condensed;
  s.Outline = 1.4;
  DrawLabel(cr, text, x, y, Align::Left, s);
}

void Key(cairo_t* cr, double x, double y, double w, const std::string& text) {
  RoundRect(cr, x, y - 17, w, 22, 5);
  FillStrokeV(cr, y - 17, y + 5, 0xF4F6FF, 0xA8B2D8, kInk, 2);
  LabelStyle s = Plain(12, 0x1A1F4A);
  s.Outline = 0;
  DrawLabelFit(cr, text, x + w / 2, y - 2, Align::Centre, s, w - 6);
}

// Draws another catalogue picture (one pattern) scaled into a box.
void Picture(cairo_t* cr, const char* name, int pattern, double x, double y, double scale) {
  const ImageEntry* entry = FindImage(name);
  if (!entry) return;
  Image img = RenderFrame(*entry, pattern);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, img.Width, img.Height);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int yy = 0; yy < img.Height; ++yy) {
    uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(yy) * size_t(stride));
    for (int xx = 0; xx < img.Width; ++xx) {
      uint32_t p = img.At(xx, yy);
      row[xx] = (entry->Transparent && p == kKeyColour) ? 0 : (0xFF000000u | p);
    }
  }
  cairo_surface_mark_dirty(s);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, scale, scale);
  cairo_set_source_surface(cr, s, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(s);
}

}  // namespace

void DrawHelpPage(cairo_t* cr, const Frame& f) {
  double w = f.Width, h = f.Height;
  Panel(cr, 0, 0, w, h, 22);
  Rivets(cr, 0, 0, w, h);
  const uint32_t gold = 0xFFD86A, cyan = 0x9FE8FF;
  if (f.Variant == 1) {
    HelpTitle(cr, w, "HOW TO PLAY", 1);
    HelpLine(cr, 36, 88, "Take every bomb, mine and dynamite on the screen to finish the level.", gold);
    HelpLine(cr, 36, 108, "Levels never end: each one lights its fuses faster and brings new monsters.", gold);
    Picture(cr, "PlayerRight", 0, 610, 120, 1.2);
    struct Row {
      const char* key;
      double kw;
      const char* text;
    } rows[] = {
        {"LEFT  RIGHT", 110, "walk"},
        {"UP", 110, "jump; keep it held for a high jump"},
        {"UP in the air", 110, "again: slow the fall or stop the climb"},
        {"SPACE  CTRL", 110, "fire, while you carry the blaster"},
        {"P", 110, "pause the game"},
        {"ESC", 110, "finish the game (asks first)"},
        {"ALT + ENTER", 110, "window or full screen"},
    };
    // Everything ends above the page buttons, which the game puts 322
    // pixels below the page's top.
    double y = 140;
    for (const Row& r : rows) {
      Key(cr, 40, y, r.kw, r.key);
      HelpLine(cr, 166, y, r.text);
      y += 25;
    }
    HelpLine(cr, 36, 314, "A joystick works too. Start with 3 lives and 5 energy points per life.", cyan);
    (void)h;
  } else if (f.Variant == 2) {
    HelpTitle(cr, w, "BOMBS AND FUSES", 2);
    Picture(cr, "Bomb", 0, 56, 76, 1.0);
    Picture(cr, "Bomb_Dynamit_Burning", 2, 61, 76, 1.0);
    HelpLine(cr, 120, 96, "BOMB  -  2 points", gold, 17);
    HelpLine(cr, 120, 116, "Blows up with a small bang: 1 energy point.");
    Picture(cr, "Mine", 1, 52, 152, 1.2);
    HelpLine(cr, 120, 164, "MINE  -  5 points", gold, 17);
    HelpLine(cr, 120, 184, "Its lamp blinks when it is armed. Its blast takes 2 energy points.");
    Picture(cr, "Dynamit", 0, 40, 208, 1.0);
    Picture(cr, "Bomb_Dynamit_Burning", 4, 86, 208, 1.0);
    HelpLine(cr, 120, 228, "DYNAMITE  -  10 points", gold, 17);
    HelpLine(cr, 120, 248, "Worth the most. Its blast takes 1 energy point.");
    HelpLine(cr, 36, 282, "Every few seconds one fuse catches fire. A burning bomb blinks for five", cyan);
    HelpLine(cr, 36, 301, "seconds and then explodes - wherever you are, it hurts. Grab it first!", cyan);
    HelpLine(cr, 36, 320, "Keep out of the water: one step too far and a life is gone.", cyan);
  } else {
    HelpTitle(cr, w, "BONUSES AND MONSTERS", 3);
    struct Bonus {
      const char* image;
      const char* text;
    } bonuses[] = {
        {"LevelGun", "blaster, 20 s"}, {"LevelEngine", "jet pack, 10 s"},  {"LevelEnergo", "shield, 10 s"},
        {"LevelLife", "extra life"},   {"LevelMoney50", "10, 20, 50 pts"}, {"LevelMegaBomb", "blasts the fliers"},
    };
    for (int i = 0; i < 6; ++i) {
      double x = 30 + (i % 3) * 236, y = 66 + (i / 3) * 56;
      Picture(cr, bonuses[i].image, 0, x, y, 0.6);
      HelpLine(cr, x + 54, y + 32, bonuses[i].text, gold, 16);
    }
    HelpLine(cr, 36, 196, "Bonuses vanish after five seconds. A new one replaces the one you carry.", cyan);
    const char* monsters[] = {"Monster1Right", "Monster4Right", "Monster2", "Monster6",
                              "Monster5",      "Monster3Right", "Monster7"};
    double x = 36;
    for (const char* m : monsters) {
      const ImageEntry* s = FindImage(m);
      double scale = s->PatternWidth > 60 ? 0.6 : 0.85;
      Picture(cr, m, 0, x, 214 + (48 - s->PatternHeight * scale) / 2, scale);
      x += s->PatternWidth * scale + 22;
    }
    HelpLine(cr, 36, 290, "Touching a monster costs a life; the shield keeps you safe. Some shoot,");
    HelpLine(cr, 36, 309, "some spit ice that freezes you, the blimp drops bombs. Shoot them for points!");
  }
}

// ------------------------------------------------------------- windows

void DrawMessageWindow(cairo_t* cr, const Frame& f) {
  double w = f.Width, h = f.Height;
  Panel(cr, 0, 0, w, h, 18);
  Rivets(cr, 0, 0, w, h);
}

// ------------------------------------------------------ head-up display

void DrawLeftPanel(cairo_t* cr, const Frame& f) {
  double w = f.Width, h = f.Height;
  // Flat top (it hangs from the screen edge), round lower corners.
  cairo_move_to(cr, 2, -4);
  cairo_line_to(cr, w - 2, -4);
  cairo_line_to(cr, w - 2, h - 16);
  cairo_arc(cr, w - 16, h - 16, 14, 0, kPi / 2);
  cairo_line_to(cr, 16, h - 2);
  cairo_arc(cr, 16, h - 16, 14, kPi / 2, kPi);
  cairo_close_path(cr);
  FillStrokeV(cr, 0, h, kPanelTop, kPanelBottom, kInk, 3);
  cairo_move_to(cr, 5, -4);
  cairo_line_to(cr, w - 5, -4);
  cairo_line_to(cr, w - 5, h - 16);
  cairo_arc(cr, w - 16, h - 16, 11, 0, kPi / 2);
  cairo_line_to(cr, 16, h - 5);
  cairo_arc(cr, 16, h - 16, 11, kPi / 2, kPi);
  cairo_close_path(cr);
  SetColour(cr, kPanelRim);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  // Number slots: the game writes level, score and lives at y 31 from the
  // local x 29, 126 and 218 (right-aligned numbers grow to the left).
  struct Slot {
    double x, w;
    const char* label;
  } slots[] = {{12, 66, "LEVEL"}, {88, 106, "SCORE"}, {204, 42, "LIVES"}};
  LabelStyle s = Plain(11, 0x9FE8FF);
  s.Outline = 1.2;
  for (const Slot& slot : slots) {
    Inset(cr, slot.x, 28, slot.w, 22, 6);
    DrawLabel(cr, slot.label, slot.x + slot.w / 2, 22, Align::Centre, s);
  }
}

void DrawRightPanel(cairo_t* cr, const Frame& f) {
  double w = f.Width, h = f.Height;
  cairo_move_to(cr, 2, -4);
  cairo_line_to(cr, w + 4, -4);
  cairo_line_to(cr, w + 4, h - 2);
  cairo_line_to(cr, 16, h - 2);
  cairo_arc(cr, 16, h - 16, 14, kPi / 2, kPi);
  cairo_close_path(cr);
  FillStrokeV(cr, 0, h, kPanelTop, kPanelBottom, kInk, 3);
  cairo_move_to(cr, 5, -4);
  cairo_line_to(cr, 5, h - 16);
  cairo_arc_negative(cr, 16, h - 16, 11, kPi, kPi / 2);
  cairo_line_to(cr, w + 4, h - 5);
  SetColour(cr, kPanelRim);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  LabelStyle s = Plain(11, 0x9FE8FF);
  s.Outline = 1.2;
  DrawLabel(cr, "ENERGY", 40, 26, Align::Centre, s);
  DrawLabel(cr, "BONUS", 154, 15, Align::Centre, s);
  // The energy gauge: columns 13 .. 66 (screen 601 .. 654), rows 34 .. 45.
  // The game covers it from the right with "HealthBar" as energy is lost.
  RoundRect(cr, 10, 31, 60, 18, 4);
  Fill(cr, kInk);
  cairo_rectangle(cr, 13, 34, 54, 12);
  cairo_pattern_t* p = cairo_pattern_create_linear(13, 0, 67, 0);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.95, 0.15, 0.1);
  cairo_pattern_add_color_stop_rgb(p, 0.35, 1.0, 0.85, 0.1);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.25, 0.95, 0.3);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  cairo_rectangle(cr, 13, 35, 54, 3);
  Fill(cr, 0xFFFFFF);
  for (int i = 1; i < 5; ++i) Line(cr, 13 + i * 10.8, 34, 13 + i * 10.8, 46, 1, 0x3A1A10);
}

void DrawHealthBar(cairo_t* cr, const Frame& f) {
  cairo_rectangle(cr, 0, 0, f.Width, f.Height);
  FillV(cr, 0, f.Height, 0x3A2450, 0x1A1030);
  cairo_rectangle(cr, 0, 1, f.Width, 2);
  Fill(cr, 0x4E3668);
}

void DrawBonusPanel(cairo_t* cr, const Frame& f) {
  double w = f.Width, h = f.Height;
  RoundRect(cr, 1, 1, w - 2, h - 2, 7);
  FillStrokeV(cr, 1, h - 1, kInset, 0x262A66, kInk, 2);
  RoundRect(cr, 3, 3, w - 6, h - 6, 5);
  SetColour(cr, f.Variant ? 0xFFC53D : 0x5A63B8);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  // Icon in the left part; the game writes the seconds from local x 37.
  if (f.Variant == 0) {
    Ellipse(cr, 16, h / 2, 9, 9);
    SetColour(cr, 0x4A5296);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    Line(cr, 10, h / 2 + 6, 22, h / 2 - 6, 2, 0x4A5296);
  } else {
    static const int kinds[4] = {0, 4, 8, 10};
    PaintBonusIcon(cr, kinds[f.Variant], 16, h / 2, 11);
  }
}

void DrawTextCursor(cairo_t* cr, const Frame& f) {
  RoundRect(cr, 1, 1, f.Width - 2, f.Height - 2, 2);
  FillStrokeV(cr, 1, f.Height - 1, 0xFFFFFF, 0xFFB020, kInk, 1.5);
}

void DrawBombPointer(cairo_t* cr, const Frame& f) {
  (void)f;
  PaintBombBody(cr, 19, 27, 14);
  // The fuse leans towards the buttons on the right, spark at its tip.
  cairo_move_to(cr, 27, 16);
  cairo_curve_to(cr, 31, 10, 35, 12, 37, 8);
  SetColour(cr, kInk);
  cairo_set_line_width(cr, 4.5);
  cairo_stroke(cr);
  cairo_move_to(cr, 27, 16);
  cairo_curve_to(cr, 31, 10, 35, 12, 37, 8);
  SetColour(cr, 0xE8C890);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  Star(cr, 38, 7, 7, 2.5, 5, 0.2);
  FillStroke(cr, 0xFFE040, 0xC03000, 1.3);
  Ellipse(cr, 38, 7, 1.8, 1.8);
  Fill(cr, 0xFFFFFF);
}

}  // namespace fusewick::art
