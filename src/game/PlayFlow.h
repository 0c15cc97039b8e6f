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
// Puts the game's program-wide state back to its start-up values (tests
// start clean): level and score, the level's, the hero's and the
// remembered images.
void ResetGameGlobals();
// The game screen's sprites (background, panels, hero, bonus slot, ground)
// and the first level; and their removal at the end of a game, after which
// no reference to a game sprite is left.
void BuildGameScreen();
void TearDownGameScreen();
// Leaves the game screen: no screen, the game's sprites torn down and freed.
void EndGame();
// Shows what follows a game that has ended (the high-score table); the
// form sets it when it is made.
extern void (*ShowScreenAfterGame)();

}  // namespace fusewick
