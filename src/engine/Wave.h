#pragma once
// Named sounds of a sound archive. Items keep their format and sample bytes
// for the program's lifetime, so that a sound device can (re)build its
// buffers from them whenever it is initialized.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ImageList.h"
#include "platform/Audio.h"

namespace fusewick {

class TDXSound;
class TWaveCollection;

class TWaveCollectionItem : public THashCollectionItem {
 public:
  explicit TWaveCollectionItem(TWaveCollection* owner);
  ~TWaveCollectionItem() override;

  bool Looped = false;
  int32_t MaxPlayingCount = 0;   // 0 = no limit
  std::vector<uint8_t> Format;   // WAVEFORMATEX bytes
  std::vector<uint8_t> Samples;  // sample bytes

  TWaveCollection* Owner() const { return owner_; }

  // --- playing on the collection's sound device (engine/SoundDevice.cpp)
  // Ready for the device, after dropping any buffers it had.
  void Initialize();
  // Frees every buffer; the item is silent until initialized again.
  void Finalize();
  // The main buffer takes the wave's samples again.
  void Restore();
  bool Initialized() const { return initialized_; }
  // Plays the wave once (a looped item: its main buffer, looping). Does
  // nothing while the item is not initialized.
  void Play();
  // Stops the main buffer and every play buffer.
  void Stop();
  // The play buffers, oldest first.
  const std::vector<platform::BufferId>& PlayBuffers() const { return playBuffers_; }
  platform::BufferId MainBuffer() const { return main_; }

 private:
  bool MakeMainBuffer();

  TWaveCollection* owner_;
  bool initialized_ = false;
  platform::Audio* audio_ = nullptr;  // where the buffers live
  platform::BufferId main_ = 0;       // holds the wave; made on first use
  std::vector<platform::BufferId> playBuffers_;
};

class TWaveCollection : public THashCollection {
 public:
  TWaveCollection() = default;
  ~TWaveCollection() override;

  TWaveCollectionItem* Add();
  TWaveCollectionItem* Items(int index) const;
  // Case-insensitive; with duplicate names the item named last. Raises
  // EWaveCollectionError "Wave '%s' not found".
  TWaveCollectionItem* Find(const std::string& name) const;

  // Replaces every item by those of a sound archive. Raises EInOutError
  // when the file cannot be read and EStreamError for a bad archive (the
  // items read before the error stay). The items are ready at once when
  // the collection's sound device is initialized.
  void LoadFromFile(const std::string& fileName);

  // --- the sound device the items play on (engine/SoundDevice.cpp)
  TDXSound* DXSound() const { return dxSound_; }
  // Drops every item's buffers and moves to another device (or none).
  void SetDXSound(TDXSound* sound);
  void Initialize();
  void Finalize();
  void Restore();

 private:
  TDXSound* dxSound_ = nullptr;
};

}  // namespace fusewick
