#pragma once
// Bitmap text, the head-up display and the message windows of a game.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "services/Glyphs.h"

namespace fusewick {

enum class TPlayState : uint8_t;

// Text state, written by every text drawing; `TextState = {}` puts it
// back to its start.
struct TTextState {
  uint8_t FontIndex = 0;      // 0 .. 3
  std::string FontImageName;  // image of the selected font
  int32_t TextEndX = 0;       // pen position after the last character
  int32_t LastGlyph = 0;      // glyph number (code - 46) of the last character
};
extern TTextState TextState;
inline auto& FontIndex = TextState.FontIndex;
inline auto& FontImageName = TextState.FontImageName;
inline auto& TextEndX = TextState.TextEndX;
inline auto& LastGlyph = TextState.LastGlyph;

// Advance widths by glyph number 1 .. 44 (index 0 unused): fonts 0 to 2
// share the narrow table, font 3 has the wide one.
extern std::array<int32_t, 45> NarrowWidths;
extern std::array<int32_t, 45> WideWidths;

// Prepares the four fonts' width tables from their stored right edges.
void InitFontTables();
void SelectFont(uint8_t index);
// Draws text with the selected font, its first glyph's top left at (x, y).
void DrawText(std::string_view text, int32_t x, int32_t y);
// Draws n with its last digit at baseX, moved left by `step` for each of
// ExtraDigits(n).
void DrawNumber(int32_t n, int32_t baseX, int32_t step, int32_t y);
// Width the text cursor covers for glyph number `glyph` (LastGlyph): the
// big font's width, the big font's space advance after a space, else 0.
int32_t CursorGlyphWidth(int32_t glyph);

// The name-entry window's prompt and PlayerName (drawn after the HUD).
void DrawNamePrompt();
// Where the pen ends after PlayerName as the name entry draws it / after
// AddText as the Options screen draws it: the width checks of the two text
// inputs, measured whenever a character comes (a name with nothing to draw
// ends after its prompt, an empty AddText at its start).
int32_t NameTextEnd();
int32_t OptionsTextEnd();
// The two control characters the text inputs act on.
constexpr char kBackspace = 8, kEnter = 13;
// A typed letter, made a capital; 0 for anything else.
char UpperLetter(char key);
// The text without its last character ("" stays "").
std::string DeleteLastChar(const std::string& text);
// The submit window's question, then "PLEASE WAIT" or "Y / N".
void DrawSubmitPrompt(bool pleaseWait);
void DrawOptionsText();
// Put TextCursor on the last character drawn of AddText / PlayerName.
void PlaceOptionsCursor();
void PlaceNameCursor();
void DrawHighScoreTable();

// Opens the window of a play state (closing an open one first) and stops
// the playfield; CloseMessageWindow resumes it.
void OpenMessageWindow(TPlayState state);
void CloseMessageWindow();

// Puts the text state back to its start (tests start clean).
void ResetTextState();

}  // namespace fusewick
