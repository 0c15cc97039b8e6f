#pragma once
// The per-tick flow of a game: spawns, level completion, the player's
// controls, the message-window states, drawing.
#include <cstdint>

namespace fusewick {

void GameFrame(int32_t lagCount);
void UpdatePlayState();
// A new game's state: free slots, layout rows, level 0, score 0, three
// lives, no bonus, running.
void ResetGameState();
// The game screen's sprites (background, panels, hero, bonus slot, ground)
// and the first level; and their removal at the end of a game, after which
// no reference to a game sprite is left.
void BuildGameScreen();
void TearDownGameScreen();

}  // namespace fusewick
