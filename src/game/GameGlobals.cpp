#include "game/GameGlobals.h"

namespace fusewick {

int32_t Level = 0;
int32_t Score = 0;

void ResetGameGlobals() {
  Level = 0;
  Score = 0;
}

}  // namespace fusewick
