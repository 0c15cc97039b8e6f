#include "Sheet.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "engine/Surface.h"

namespace fusewick::tool {

namespace {

struct Glyph {
  char Ch;
  uint8_t Rows[7];  // bit 4 is the leftmost column
};

constexpr Glyph kFont[] = {
    {' ', {0, 0, 0, 0, 0, 0, 0}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'_', {0, 0, 0, 0, 0, 0, 0x1F}},
    {'-', {0, 0, 0, 0x1F, 0, 0, 0}},
    {'.', {0, 0, 0, 0, 0, 0x0C, 0x0C}},
    {',', {0, 0, 0, 0, 0x0C, 0x04, 0x08}},
    {'(', {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}},
    {')', {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}},
    {':', {0, 0x0C, 0x0C, 0, 0x0C, 0x0C, 0}},
    {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}},
    {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}},
    {'%', {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03}},
    {'?', {0x0E, 0x11, 0x01, 0x02, 0x04, 0, 0x04}},
};

const Glyph& GlyphOf(char c) {
  const char up = char(std::toupper(static_cast<unsigned char>(c)));
  for (const auto& g : kFont)
    if (g.Ch == up) return g;
  return kFont[sizeof kFont / sizeof kFont[0] - 1];  // '?'
}

void FillRect(TDIB& into, int x, int y, int w, int h, uint32_t color) {
  for (int yy = std::max(0, y); yy < std::min(into.Height, y + h); ++yy)
    for (int xx = std::max(0, x); xx < std::min(into.Width, x + w); ++xx) into.At(xx, yy) = color;
}

// Sheet colours (0x00RRGGBB).
constexpr uint32_t kBackground = 0x202428, kFrame = 0x8A929A, kName = 0xF0F0F0, kInfo = 0xA0B0C0;
constexpr uint32_t kCheckerA = 0x505860, kCheckerB = 0x687078, kRule = 0x3A4048;
constexpr int kMargin = 10, kGap = 6, kNameScale = 2;
constexpr int kMinSheetWidth = 1280;

struct PatternGrid {
  int Count = 0, Columns = 0;
  int PW = 0, PH = 0, StepX = 0, StepY = 0;
};

PatternGrid GridOf(const TImageArchiveItem& item) {
  PatternGrid g;
  g.Count = item.PatternCount();
  if (g.Count == 0) return g;
  g.PW = item.ActualPatternWidth();
  g.PH = item.ActualPatternHeight();
  g.StepX = g.PW + item.SkipWidth;
  g.StepY = g.PH + item.SkipHeight;
  g.Columns = g.Count == 1 ? 1 : (item.Picture->Width + item.SkipWidth) / g.StepX;
  return g;
}

std::string InfoLine(const TImageArchiveItem& item, const PatternGrid& g) {
  if (!item.Picture) return "NO PICTURE";
  return std::to_string(item.Picture->Width) + "X" + std::to_string(item.Picture->Height) + "  " +
         std::to_string(g.PW) + "X" + std::to_string(g.PH) + " X" + std::to_string(g.Count);
}

}  // namespace

int TextWidth(const std::string& text, int scale) { return int(text.size()) * 6 * scale; }

int DrawText(TDIB& into, int x, int y, const std::string& text, uint32_t color, int scale) {
  int cx = x;
  for (char c : text) {
    const Glyph& g = GlyphOf(c);
    for (int row = 0; row < 7; ++row)
      for (int col = 0; col < 5; ++col)
        if (g.Rows[row] & (0x10 >> col)) FillRect(into, cx + col * scale, y + row * scale, scale, scale, color);
    cx += 6 * scale;
  }
  return cx - x;
}

TDIB ContactSheet(const TImageArchive& archive) {
  const int nameHeight = 7 * kNameScale, labelHeight = nameHeight + 4 + 7;
  int labelWidth = 0, widest = 0;
  for (const auto& item : archive.Items) {
    const PatternGrid g = GridOf(item);
    labelWidth = std::max({labelWidth, TextWidth(item.Name, kNameScale), TextWidth(InfoLine(item, g), 1)});
    widest = std::max(widest, g.PW + 2);
  }
  labelWidth += 2 * kGap;
  const int left = kMargin + labelWidth;
  const int width = std::max(kMinSheetWidth, left + widest + kMargin);

  // Pattern positions of one item from the top of its band; returns the
  // band's height.
  auto layout = [&](const PatternGrid& g, auto&& place) {
    int x = left, y = 0;
    for (int n = 0; n < g.Count; ++n) {
      if (x > left && x + g.PW + 2 > width - kMargin) {
        x = left;
        y += g.PH + 2 + kGap;
      }
      place(n, x, y);
      x += g.PW + 2 + kGap;
    }
    return std::max(labelHeight, g.Count ? y + g.PH + 2 : 0);
  };

  int height = kMargin;
  for (const auto& item : archive.Items) height += layout(GridOf(item), [](int, int, int) {}) + 2 * kGap + 1;
  height += kMargin;

  TDIB sheet(width, height, kBackground);
  int top = kMargin;
  for (const auto& item : archive.Items) {
    const PatternGrid g = GridOf(item);
    DrawText(sheet, kMargin, top, item.Name, kName, kNameScale);
    DrawText(sheet, kMargin, top + nameHeight + 4, InfoLine(item, g), kInfo, 1);
    const TColor k = item.TransparentColor;
    const uint16_t key = RGB565(ColorRed(k), ColorGreen(k), ColorBlue(k));
    const bool keyed = item.Transparent && item.TransparentColor <= 0xFFFFFF;
    const int band = layout(g, [&](int n, int x, int y) {
      const int sx = (n % g.Columns) * g.StepX, sy = (n / g.Columns) * g.StepY;
      FillRect(sheet, x, top + y, g.PW + 2, g.PH + 2, kFrame);
      for (int py = 0; py < g.PH; ++py)
        for (int px = 0; px < g.PW; ++px) {
          uint32_t c = item.Picture->At(sx + px, sy + py);
          if (keyed && PixelToRGB565(c) == key) c = ((px / 4 + py / 4) & 1) ? kCheckerA : kCheckerB;
          sheet.At(x + 1 + px, top + y + 1 + py) = c;
        }
    });
    top += band + kGap;
    FillRect(sheet, kMargin, top, width - 2 * kMargin, 1, kRule);
    top += kGap + 1;
  }
  return sheet;
}

}  // namespace fusewick::tool
