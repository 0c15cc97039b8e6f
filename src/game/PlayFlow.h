#pragma once
// The per-tick flow of a game: spawns, level completion, the player's
// controls, the message-window states, drawing.
#include <cstdint>

namespace fusewick {

void GameFrame(int32_t lagCount);
void UpdatePlayState();
// A new game's state: free slots, level 0, score 0, three lives, running.
void ResetGameState();
// The game screen's sprites and the first level; and their removal.
void BuildGameScreen();
void TearDownGameScreen();
void StartLevel(int32_t level);

}  // namespace fusewick
