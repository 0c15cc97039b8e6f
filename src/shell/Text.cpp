#include "shell/Text.h"

#include "shell/Globals.h"

namespace fusewick {

// The fonts and the window pictures come with the art; until then the
// windows are play states without a picture.
void InitFontTables() {}

void OpenMessageWindow(uint8_t state) {
  CloseMessageWindow();
  PlayState = state;
  PlayfieldActive = false;
  if (state == LevelIntro || state == LevelComplete || state == GameLost) WindowTimer = 2000;
}

void CloseMessageWindow() {
  PlayState = Running;
  PlayfieldActive = true;
}

void DrawHud() {}

}  // namespace fusewick
