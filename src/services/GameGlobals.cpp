#include "services/GameGlobals.h"

namespace fusewick {

int32_t Level = 0;
int32_t Score = 0;

}  // namespace fusewick
