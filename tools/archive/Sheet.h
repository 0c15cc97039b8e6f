#pragma once
// A contact sheet of an image archive: every image with all its patterns
// and its name beside it.
#include "engine/ArchiveFormat.h"
#include "engine/Picture.h"

namespace fusewick::tool {

// Patterns are framed and laid out left to right, wrapping; pixels the game
// leaves out (the colour key, compared in RGB565 as the 16-bit display
// does) show as a grey checkerboard.
TDIB ContactSheet(const TImageArchive& archive);

// Draws text in the built-in 5 x 7 font (capitals, digits, a few signs;
// small letters are drawn as capitals) at the given scale; returns the
// width drawn. Exposed for the sheet's labels.
int DrawText(TDIB& into, int x, int y, const std::string& text, uint32_t color, int scale);
int TextWidth(const std::string& text, int scale);

}  // namespace fusewick::tool
