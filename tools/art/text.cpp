#include "text.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "paint.h"

namespace fusewick::art {

int InkLimit(bool wide, int code) {
  if (!HasGlyph(code)) return 0;
  // Narrow fonts keep one blank column before the next glyph; the big font
  // advances two columns less than its table, and its outlines may meet.
  return GlyphWidth(wide, code) - (wide ? kWideExtra : 1);
}

namespace {

struct FontSlot {
  const char* File;
  FT_Face Face = nullptr;
  cairo_font_face_t* Cairo = nullptr;
};

FT_Library gLibrary = nullptr;
FontSlot gFonts[2] = {{"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"},
                      {"/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"}};

void SetFont(cairo_t* cr, Face face, double size) {
  cairo_set_font_face(cr, FontFace(face));
  cairo_set_font_size(cr, size);
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, o);
  cairo_font_options_destroy(o);
}

// Ink bounds of a path in user space.
struct Box {
  double x0, y0, x1, y1;
};

void SetGradient(cairo_t* cr, double y0, double y1, uint32_t top, uint32_t bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  auto stop = [&](double at, uint32_t c) {
    cairo_pattern_add_color_stop_rgb(p, at, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0);
  };
  stop(0, top);
  stop(1, bottom);
  cairo_set_source(cr, p);
  cairo_pattern_destroy(p);
}

// Strokes the outline of the current path, then fills it with a gradient.
void OutlineAndFill(cairo_t* cr, double outline, uint32_t line, double y0, double y1, uint32_t top, uint32_t bottom) {
  cairo_path_t* path = cairo_copy_path(cr);
  if (outline > 0) {
    SetColour(cr, line);
    cairo_set_line_width(cr, 2 * outline);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
  } else {
    cairo_new_path(cr);
  }
  cairo_append_path(cr, path);
  SetGradient(cr, y0, y1, top, bottom);
  cairo_fill(cr);
  cairo_path_destroy(path);
}

}  // namespace

cairo_font_face_t* FontFace(Face face) {
  FontSlot& slot = gFonts[face == Face::Bold ? 0 : 1];
  if (slot.Cairo) return slot.Cairo;
  if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0) throw std::runtime_error("FreeType cannot start");
  if (FT_New_Face(gLibrary, slot.File, 0, &slot.Face) != 0)
    throw std::runtime_error(std::string("font missing: ") + slot.File + " (Debian fonts-dejavu)");
  slot.Cairo = cairo_ft_font_face_create_for_ft_face(slot.Face, 0);
  return slot.Cairo;
}

void ReleaseFonts() {
  for (FontSlot& slot : gFonts) {
    if (slot.Cairo) cairo_font_face_destroy(slot.Cairo);
    slot.Cairo = nullptr;
  }
  // Cairo may still hold the faces in its caches; they go with its static
  // data, after which FreeType can be closed.
  cairo_debug_reset_static_data();
  for (FontSlot& slot : gFonts) {
    if (slot.Face) FT_Done_Face(slot.Face);
    slot.Face = nullptr;
  }
  if (gLibrary) FT_Done_FreeType(gLibrary);
  gLibrary = nullptr;
  // Cairo's FreeType backend asks fontconfig about rendering defaults.
  FcFini();
}

void DrawGlyph(cairo_t* cr, int code, double inkLimit, const GlyphStyle& style) {
  // In the game's texts "@" stands for an apostrophe.
  std::string text = code == '@' ? std::string("\xE2\x80\x99") : std::string(1, char(code));
  // DejaVu Sans Bold capitals are 0.729 em high.
  double size = style.CapHeight / 0.729;
  cairo_save(cr);
  SetFont(cr, Face::Bold, size);
  cairo_new_path(cr);
  cairo_move_to(cr, 0, 0);
  cairo_text_path(cr, text.c_str());
  double x0, y0, x1, y1;
  cairo_path_extents(cr, &x0, &y0, &x1, &y1);
  cairo_new_path(cr);
  // Fit horizontally: the ink with its outline inside [0.25, inkLimit - 0.25].
  double room = inkLimit - 0.5 - 2 * style.Outline;
  double w = x1 - x0;
  double sx = w > room ? room / w : 1.0;
  double left = 0.25 + style.Outline + (room - w * sx) / 2;
  // Vertically the capitals' top sits at style.Top (baseline = Top + cap).
  // Descenders (J, Q, ; and /) are pulled up to end just below the
  // baseline, so that the cell below the capitals stays free for the cursor.
  double baseline = style.Top + style.CapHeight;
  double sy = 1.0;
  const double descent = 1.5;
  if (y1 > descent) {
    if (y1 - y0 > style.CapHeight + descent) {
      sy = (style.CapHeight + descent) / (y1 - y0);
      baseline = style.Top - y0 * sy;
    } else {
      baseline = style.Top + style.CapHeight + descent - y1;
    }
  }
  if (code == '@') baseline = style.Top - y0;  // the apostrophe hangs from the top
  cairo_translate(cr, left - x0 * sx, baseline);
  cairo_scale(cr, sx, sy);
  cairo_move_to(cr, 0, 0);
  cairo_text_path(cr, text.c_str());
  cairo_restore(cr);
  // The outline is stroked in device space, so it keeps its width.
  OutlineAndFill(cr, style.Outline, style.Line, style.Top, style.Top + style.CapHeight, style.FillTop,
                 style.FillBottom);
  if (style.Shine) {
    // A thin light line across the upper part of the letters.
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_translate(cr, left - x0 * sx, baseline);
    cairo_scale(cr, sx, sy);
    cairo_move_to(cr, 0, 0);
    cairo_text_path(cr, text.c_str());
    cairo_restore(cr);
    cairo_save(cr);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, style.Top + style.CapHeight * 0.18, inkLimit, std::max(1.0, style.CapHeight * 0.12));
    SetColour(cr, style.Shine);
    cairo_fill(cr);
    cairo_restore(cr);
  }
}

double LabelWidth(cairo_t* cr, const std::string& text, const LabelStyle& style) {
  cairo_save(cr);
  SetFont(cr, style.FontFace, style.Size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  cairo_restore(cr);
  return e.x_advance * style.Squeeze;
}

void DrawLabel(cairo_t* cr, const std::string& text, double x, double y, Align align, const LabelStyle& style) {
  double w = LabelWidth(cr, text, style);
  if (align == Align::Centre) x -= w / 2;
  if (align == Align::Right) x -= w;
  cairo_save(cr);
  SetFont(cr, style.FontFace, style.Size);
  cairo_new_path(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, style.Squeeze, 1.0);
  cairo_move_to(cr, 0, 0);
  cairo_text_path(cr, text.c_str());
  cairo_restore(cr);
  double cap = style.Size * 0.729;
  OutlineAndFill(cr, style.Outline, style.Line, y - cap, y, style.FillTop, style.FillBottom);
}

void DrawLabelFit(cairo_t* cr, const std::string& text, double x, double y, Align align, LabelStyle style,
                  double maxWidth) {
  double w = LabelWidth(cr, text, style);
  if (w > maxWidth && w > 0) style.Squeeze *= maxWidth / w;
  DrawLabel(cr, text, x, y, align, style);
}

}  // namespace fusewick::art
