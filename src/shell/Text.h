#pragma once
// Bitmap text, the head-up display and the message windows of a game.
#include <cstdint>

namespace fusewick {

// Prepares the four fonts' glyph tables.
void InitFontTables();
// Opens the window of a play state (closing an open one first) and stops
// the playfield; CloseMessageWindow resumes it.
void OpenMessageWindow(uint8_t state);
void CloseMessageWindow();
void DrawHud();

}  // namespace fusewick
