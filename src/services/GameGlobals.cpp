#include "services/GameGlobals.h"

namespace fusewick {

TGameState GameState;

}  // namespace fusewick
