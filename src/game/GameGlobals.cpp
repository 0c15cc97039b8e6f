#include "game/GameGlobals.h"

#include "game/Level.h"
#include "game/Player.h"
#include "shell/MainForm.h"

namespace fusewick {

int32_t Level = 0;
int32_t Score = 0;

void ResetGameGlobals() {
  Level = 0;
  Score = 0;
  FrameRateHeld = 0;
  ResetLevelState();
  ResetPlayerGlobals();
}

}  // namespace fusewick
