#pragma once
// A headless audio: nothing is heard; the device, the buffers and the songs
// are kept as records that tests read back. Sounds play until a test
// finishes them.
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/Audio.h"

namespace fusewick::platform {

class NullAudio : public Audio {
 public:
  // --- what tests set
  bool DeviceAvailable = true;  // OpenDevice answers this; without it no song loads either
  bool FailBuffers = false;     // CreateBuffer and DuplicateBuffer fail

  // --- what tests read back
  struct Buffer {
    std::string Label;
    BufferId Source = 0;  // the buffer it duplicates, 0 for a main buffer
    size_t Size = 0;      // sample bytes
    bool Playing = false;
    bool Looping = false;
    int Plays = 0;
    int Reloads = 0;
  };
  struct Song {
    std::string File;
    bool Playing = false;
  };
  bool DeviceOpen = false;
  std::map<BufferId, Buffer> Buffers;     // live buffers
  std::vector<std::string> Played;        // label of every buffer started, in order
  std::map<SongId, Song> Songs;           // loaded songs
  std::vector<std::string> SongsStarted;  // file of every song started, in order
  int Misuses = 0;  // calls with an unknown id, buffers without a device, closing with live buffers

  // A sound has played to its end (a looping one never ends by itself).
  void Finish(BufferId b) {
    auto it = Buffers.find(b);
    if (it != Buffers.end() && !it->second.Looping) it->second.Playing = false;
  }
  void FinishAll() {
    for (auto& [id, b] : Buffers) Finish(id);
  }
  // Buffers of that label now playing.
  int PlayingCount(const std::string& label) const {
    int n = 0;
    for (const auto& [id, b] : Buffers) n += b.Label == label && b.Playing;
    return n;
  }
  int BufferCount(const std::string& label) const {
    int n = 0;
    for (const auto& [id, b] : Buffers) n += b.Label == label;
    return n;
  }
  // The file of the song that plays, or empty.
  std::string PlayingSong() const {
    for (const auto& [id, s] : Songs)
      if (s.Playing) return s.File;
    return {};
  }

  bool OpenDevice() override {
    DeviceOpen = DeviceAvailable;
    return DeviceOpen;
  }
  void CloseDevice() override {
    if (!Buffers.empty()) ++Misuses;
    DeviceOpen = false;
  }
  BufferId CreateBuffer(const WaveData& wave, const std::string& label) override {
    if (!DeviceOpen) return ++Misuses, 0;
    if (FailBuffers || wave.FormatSize < 16) return 0;
    const BufferId id = next_++;
    Buffers[id] = Buffer{label, 0, wave.SampleSize};
    return id;
  }
  BufferId DuplicateBuffer(BufferId source) override {
    Buffer* s = Find(source);
    if (!s) return 0;
    if (FailBuffers) return 0;
    const BufferId id = next_++;
    Buffers[id] = Buffer{s->Label, source, s->Size};
    return id;
  }
  bool ReloadBuffer(BufferId buffer, const WaveData& wave) override {
    Buffer* b = Find(buffer);
    if (!b) return false;
    b->Size = wave.SampleSize;
    ++b->Reloads;
    return true;
  }
  void FreeBuffer(BufferId buffer) override {
    if (Find(buffer)) Buffers.erase(buffer);
  }
  void Play(BufferId buffer, bool looping) override {
    Buffer* b = Find(buffer);
    if (!b) return;
    b->Playing = true;
    b->Looping = looping;
    ++b->Plays;
    Played.push_back(b->Label);
  }
  void Stop(BufferId buffer) override {
    if (Buffer* b = Find(buffer)) b->Playing = false;
  }
  bool Playing(BufferId buffer) override {
    Buffer* b = Find(buffer);
    return b && b->Playing;
  }

  SongId SongLoadFromFile(const std::string& fileName) override {
    if (!DeviceAvailable || !std::ifstream(fileName, std::ios::binary)) return 0;
    const SongId id = next_++;
    Songs[id] = Song{fileName};
    return id;
  }
  void SongPlay(SongId song) override {
    auto it = Songs.find(song);
    if (it == Songs.end()) return void(++Misuses);
    for (auto& [id, s] : Songs) s.Playing = false;  // one song at a time
    it->second.Playing = true;
    SongsStarted.push_back(it->second.File);
  }
  void SongFree(SongId song) override {
    if (Songs.erase(song) == 0) ++Misuses;
  }

 private:
  Buffer* Find(BufferId id) {
    auto it = Buffers.find(id);
    if (it == Buffers.end() || !DeviceOpen) {
      ++Misuses;
      return nullptr;
    }
    return &it->second;
  }
  uint32_t next_ = 1;
};

// Installs a NullAudio as the current audio for the scope's lifetime.
class ScopedNullAudio {
 public:
  ScopedNullAudio() { SetCurrentAudio(&audio); }
  ~ScopedNullAudio() { SetCurrentAudio(nullptr); }
  NullAudio audio;
};

}  // namespace fusewick::platform
