#pragma once
// Sound effects and music of the shell.
#include <functional>
#include <string>

namespace fusewick {

// Plays the named effect when sounds are on.
void PlaySound(const std::string& name);
// Starts the current screen's song when music is on.
void PlayScreenMusic();
void StopMusic();

// Start-up: the sound archive into the wave list (a no-op until the sound
// device exists).
void LoadSoundArchive(const std::string& fileName);

// When set, every PlaySound call reports the effect's name here first,
// whether or not sounds are on: tests watch the effects the game asks for.
extern std::function<void(const std::string&)> PlaySoundObserver;

}  // namespace fusewick
