#pragma once
// Program-wide state of a game: the level number and the score. It lives in
// GameState, so that `GameState = {}` puts it back to its start.
#include <cstdint>

namespace fusewick {

struct TGameState {
  int32_t Level = 0;
  int32_t Score = 0;
};
extern TGameState GameState;

inline auto& Level = GameState.Level;
inline auto& Score = GameState.Score;

}  // namespace fusewick
