#include "services/Sound.h"

#include "engine/SoundDevice.h"
#include "platform/Audio.h"
#include "services/FormComponents.h"
#include "services/Globals.h"
#include "services/Records.h"
#include "services/TestSeams.h"

namespace fusewick {

uint32_t SongHandle = 0;

void PlaySound(const std::string& name) {
  if (PlaySoundObserver) PlaySoundObserver(name);
  if (!GameOptions.SoundOn) return;
  if (!MForm) return;  // no form, no wave list: nothing to play
  TWaveCollectionItem* item = MForm->MDXWaveList.Items.Find(name);
  item->Stop();
  item->Play();
}

void PlayScreenMusic() { PlayMusic(GameScreen == Game ? kGameSongFile : kMenuSongFile); }

void PlayMusic(const std::string& fileName) {
  if (!GameOptions.MusicOn) return;
  if (SongHandle != 0) SongFree(SongHandle);
  SongHandle = SongLoadFromFile(fileName.c_str());
  if (SongHandle != 0) SongPlay(SongHandle);
}

void StopMusic() {
  if (SongHandle != 0) SongFree(SongHandle);
  SongHandle = 0;
}

void LoadSoundArchive(const std::string& fileName) { MForm->MDXWaveList.Items.LoadFromFile(fileName); }

uint32_t SongLoadFromFile(const char* fileName) { return platform::CurrentAudio().SongLoadFromFile(fileName); }
void SongPlay(uint32_t handle) { platform::CurrentAudio().SongPlay(handle); }
void SongFree(uint32_t handle) { platform::CurrentAudio().SongFree(handle); }

void ResetSound() { SongHandle = 0; }

}  // namespace fusewick
