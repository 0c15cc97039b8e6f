#pragma once
// The per-tick flow of a game: spawns, level completion, the player's
// controls, the message-window states, drawing.
#include <cstdint>

#include "services/TickInput.h"

namespace fusewick {

// One tick of a game with the tick's input; true when the hero's controls
// ran and so used the input's Ctrl press (the form then clears its pending
// press).
bool GameFrame(const TTickInput& in);
void UpdatePlayState(const TTickInput& in);
// One character typed at the name entry: a letter (made a capital) while
// it fits on screen, a space, Backspace, or Enter, which takes the name.
void NameEntryKey(char key);
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
