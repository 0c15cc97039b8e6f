#pragma once
// The platform's audio over SDL2_mixer: effects are mixer chunks played on
// mixer channels, songs are mixer music (tracker modules through the
// mixer's module decoder). Effects and music share one output, opened when
// the first of them needs it and closed when neither does.
#include <memory>

#include "platform/Audio.h"

namespace fusewick::platform {

class SdlAudio : public Audio {
 public:
  SdlAudio();
  ~SdlAudio() override;
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  bool OpenDevice() override;
  void CloseDevice() override;
  BufferId CreateBuffer(const WaveData& wave, const std::string& label) override;
  BufferId DuplicateBuffer(BufferId source) override;
  bool ReloadBuffer(BufferId buffer, const WaveData& wave) override;
  void FreeBuffer(BufferId buffer) override;
  void Play(BufferId buffer, bool looping) override;
  void Stop(BufferId buffer) override;
  bool Playing(BufferId buffer) override;
  SongId SongLoadFromFile(const std::string& fileName) override;
  void SongPlay(SongId song) override;
  void SongFree(SongId song) override;

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace fusewick::platform
