#include "shell/Text.h"

#include "shell/Globals.h"

namespace fusewick {

uint8_t FontIndex = 0;
std::string FontImageName;
int32_t TextEndX = 0;
int32_t LastGlyph = 0;
std::array<int32_t, 45> NarrowWidths{};
std::array<int32_t, 45> WideWidths{};

void ResetTextState() {
  FontIndex = 0;
  FontImageName.clear();
  TextEndX = 0;
  LastGlyph = 0;
}

// The fonts, the texts and the window pictures come with the menus; until
// then the windows are play states without a picture.
void InitFontTables() {}
void SelectFont(uint8_t index) { FontIndex = index; }
void DrawText(const std::string&, int32_t, int32_t) {}

int32_t ExtraDigits(int32_t n) {
  int32_t e = 0;
  for (int32_t t : {9, 99, 999, 9999, 99999})
    if (n > t) ++e;
  return e;
}

void DrawHud() {}
void DrawOptionsText() {}
void DrawHighScoreTable() {}

void OpenMessageWindow(uint8_t state) {
  if (PlayState != Running) CloseMessageWindow();
  PlayState = state;
  PlayfieldActive = false;
  if (state == LevelIntro || state == LevelComplete || state == GameLost) WindowTimer = 2000;
}

void CloseMessageWindow() {
  PlayState = Running;
  PlayfieldActive = true;
}

}  // namespace fusewick
