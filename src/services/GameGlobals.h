#pragma once
// Program-wide state of a game: the level number and the score.
#include <cstdint>

namespace fusewick {

extern int32_t Level;
extern int32_t Score;

}  // namespace fusewick
