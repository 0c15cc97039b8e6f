#pragma once
// The game's two songs: "Menu.xm", calm, for every screen but the game, and
// "Game.xm", driving, while a game runs.
#include "Xm.h"

namespace fusewick::audio {

XmModule MenuSong();
XmModule GameSong();

}  // namespace fusewick::audio
