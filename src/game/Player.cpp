#include "game/Player.h"

namespace fusewick {

TPlayer* Player = nullptr;

}  // namespace fusewick
