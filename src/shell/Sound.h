#pragma once
// Sound effects and music of the shell.
#include <string>

namespace fusewick {

// Plays the named effect when sounds are on.
void PlaySound(const std::string& name);
// Starts the current screen's song when music is on.
void PlayScreenMusic();
void StopMusic();

}  // namespace fusewick
