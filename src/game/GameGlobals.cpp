#include "game/GameGlobals.h"

#include "game/Level.h"
#include "game/Player.h"
#include "game/Scenery.h"

namespace fusewick {

TGameState GameState;

void ResetGameGlobals() {
  GameState = {};
  ResetLevelState();
  PlayerGlobals = {};
  ResetGameImages();
}

}  // namespace fusewick
