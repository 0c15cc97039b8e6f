#pragma once
// The platform's audio: the output device that mixes the sound effects, its
// sound buffers, and the music player that plays one tracker-module song in
// the background. The SDL2_mixer implementation plays them; the null one
// records what the game asked for.
#include <cstddef>
#include <cstdint>
#include <string>

namespace fusewick::platform {

// A sound buffer: a copy of a wave (a main buffer) or a duplicate that shares
// the samples of another buffer. 0 = none.
using BufferId = uint32_t;
// A loaded song. 0 = none.
using SongId = uint32_t;

// A wave as a sound archive stores it: the format bytes (a WAVEFORMATEX, at
// least its 16 PCM bytes) and the sample bytes.
struct WaveData {
  const uint8_t* Format = nullptr;
  size_t FormatSize = 0;
  const uint8_t* Samples = nullptr;
  size_t SampleSize = 0;
};

class Audio {
 public:
  virtual ~Audio() = default;

  // --- the effects device
  // Opens the default output for the sound effects; false when there is no
  // usable device.
  virtual bool OpenDevice() = 0;
  // Closes it; every buffer must have been freed before.
  virtual void CloseDevice() = 0;

  // --- sound buffers (only while the device is open)
  // A new buffer holding a copy of the wave; `label` names it for
  // diagnostics. 0 when the format cannot be played or memory runs out.
  virtual BufferId CreateBuffer(const WaveData& wave, const std::string& label) = 0;
  // A new buffer sharing the samples of `source`; 0 on failure.
  virtual BufferId DuplicateBuffer(BufferId source) = 0;
  // Puts the wave's samples into the buffer again (after a restore).
  virtual bool ReloadBuffer(BufferId buffer, const WaveData& wave) = 0;
  virtual void FreeBuffer(BufferId buffer) = 0;
  // Plays the buffer from its start at the wave's own frequency, centre pan
  // and full volume, once or looping until stopped. Returns at once.
  virtual void Play(BufferId buffer, bool looping) = 0;
  virtual void Stop(BufferId buffer) = 0;
  virtual bool Playing(BufferId buffer) = 0;

  // --- the music player (independent of the effects device)
  // Loads a module file (.xm); 0 when it cannot be loaded.
  virtual SongId SongLoadFromFile(const std::string& fileName) = 0;
  // Starts the song in the background, from its beginning, repeating.
  virtual void SongPlay(SongId song) = 0;
  // Stops the song if it is playing and releases it; the id is invalid afterwards.
  virtual void SongFree(SongId song) = 0;
};

// The audio the game uses. With none installed, a silent audio without a
// device answers: effects cannot be opened and no song loads.
Audio& CurrentAudio();
// Installs a (not owned) as the current audio; nullptr restores the silent one.
void SetCurrentAudio(Audio* a);

}  // namespace fusewick::platform
