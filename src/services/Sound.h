#pragma once
// Sound effects and music of the shell. One song plays at a time in the
// background: the game song on the game screen, the menu song elsewhere.
#include <cstdint>
#include <string>

#include "services/AssetNames.h"

namespace fusewick {

constexpr const char* kGameSongFile = "Data/Music/Game.xm";
constexpr const char* kMenuSongFile = "Data/Music/Menu.xm";

// The loaded song of the music library, 0 when none is loaded.
extern uint32_t SongHandle;

// Plays the named effect (one of effect::...) of the main form's wave list
// when sounds are on: a repeated effect restarts rather than overlapping
// itself. Raises EWaveCollectionError "Wave '%s' not found" for a name the
// list lacks.
void PlaySound(const std::string& name);
// Starts the song of the current screen (when music is on).
void PlayScreenMusic();
// Replaces the current song by the named one (when music is on; with music
// off nothing at all happens).
void PlayMusic(const std::string& fileName);
// Stops and frees the current song.
void StopMusic();

// Start-up: the sound archive into the main form's wave list.
void LoadSoundArchive(const std::string& fileName);

// The music library: loads a module (0 when it cannot), starts a loaded
// song in the background, stops and releases one.
uint32_t SongLoadFromFile(const char* fileName);
void SongPlay(uint32_t handle);
void SongFree(uint32_t handle);

// Puts the music state back to its start-up value (tests start clean).
void ResetSound();

}  // namespace fusewick
