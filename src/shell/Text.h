#pragma once
// Bitmap text, the head-up display and the message windows of a game.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace fusewick {

enum class TPlayState : uint8_t;

// Text state, written by every text drawing.
extern uint8_t FontIndex;            // 0 .. 3
extern std::string FontImageName;    // image of the selected font
extern int32_t TextEndX;             // pen position after the last character
extern int32_t LastGlyph;            // glyph number (code - 46) of the last character

// Advance widths by glyph number 1 .. 44 (index 0 unused): fonts 0 to 2
// share the narrow table, font 3 has the wide one.
extern std::array<int32_t, 45> NarrowWidths;
extern std::array<int32_t, 45> WideWidths;

// Prepares the four fonts' width tables from their stored right edges.
void InitFontTables();
void SelectFont(uint8_t index);
// Draws text with the selected font, its first glyph's top left at (x, y).
void DrawText(std::string_view text, int32_t x, int32_t y);
// How many of 9, 99, 999, 9999, 99999 n exceeds.
int32_t ExtraDigits(int32_t n);
// Width the text cursor covers for glyph number `glyph` (LastGlyph): the
// big font's width, the big font's space advance after a space, else 0.
int32_t CursorGlyphWidth(int32_t glyph);

void DrawHud();
// The name-entry window's prompt and PlayerName (drawn after the HUD).
void DrawNamePrompt();
// The submit window's question, then "PLEASE WAIT" or "Y / N".
void DrawSubmitPrompt(bool pleaseWait);
void DrawOptionsText();
void DrawHighScoreTable();

// Opens the window of a play state (closing an open one first) and stops
// the playfield; CloseMessageWindow resumes it.
void OpenMessageWindow(TPlayState state);
void CloseMessageWindow();

// Puts the text state back to its start (tests start clean).
void ResetTextState();

}  // namespace fusewick
