#include "shell/Sound.h"

namespace fusewick {

// The sound device and the music player come with the sound effects and
// songs; until then the game is silent.
std::function<void(const std::string&)> PlaySoundObserver;

void PlaySound(const std::string& name) {
  if (PlaySoundObserver) PlaySoundObserver(name);
}
void PlayScreenMusic() {}
void StopMusic() {}
void LoadSoundArchive(const std::string&) {}

}  // namespace fusewick
