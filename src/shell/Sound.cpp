#include "shell/Sound.h"

namespace fusewick {

// The sound device and the music player come with the sound effects and
// songs; until then the game is silent.
void PlaySound(const std::string&) {}
void PlayScreenMusic() {}
void StopMusic() {}

}  // namespace fusewick
