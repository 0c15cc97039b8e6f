#pragma once
// The head-up display of a game: the open window's words, level, score and
// lives on the left panel, the hero's energy gauge and bonus seconds.

namespace fusewick {

void DrawHud();

}  // namespace fusewick
