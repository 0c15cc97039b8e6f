#pragma once
// The sound device and the wave list that plays on it. The device opens the
// platform's effects output; the wave lists registered with it are told when
// it is initialized, finalized or restored, and build, drop or reload the
// sound buffers of their items accordingly.
#include <functional>
#include <vector>

#include "engine/Wave.h"
#include "platform/Audio.h"

namespace fusewick {

enum TDXSoundNotifyType : int { dsntDestroying, dsntInitializing, dsntInitialize, dsntFinalize, dsntRestore };

class TDXSound;
using TDXSoundNotifyEvent = std::function<void(TDXSound* sender, TDXSoundNotifyType code)>;

class TDXSound {
 public:
  TDXSound() = default;
  ~TDXSound();
  TDXSound(const TDXSound&) = delete;
  TDXSound& operator=(const TDXSound&) = delete;

  // The form that owns the device has been loaded: with AutoInitialize the
  // device initializes itself, and a device error is swallowed (the device
  // stays uninitialized and every effect is silent).
  void Loaded();
  // Opens the platform's effects output (finalizing first if initialized).
  // Raises EDXSoundError when there is no usable device.
  void Initialize();
  void Finalize();
  // The device got its buffers back: the registered lists reload their waves.
  void Restore();

  bool Initialized() const { return initialized_; }
  // The audio the open device plays on; null while not initialized.
  platform::Audio* Audio() const { return audio_; }

  void RegisterNotifyEvent(const void* component, TDXSoundNotifyEvent callback);
  void UnRegisterNotifyEvent(const void* component);

  bool AutoInitialize = true;

 private:
  void NotifyAll(TDXSoundNotifyType code);

  struct Listener {
    const void* Component;
    TDXSoundNotifyEvent Callback;
  };
  std::vector<Listener> listeners_;
  platform::Audio* audio_ = nullptr;
  bool initialized_ = false;
};

// The named sound effects, playing on a sound device.
class TDXWaveList {
 public:
  TDXWaveList() = default;
  ~TDXWaveList();
  TDXWaveList(const TDXWaveList&) = delete;
  TDXWaveList& operator=(const TDXWaveList&) = delete;

  TDXSound* DXSound() const { return Items.DXSound(); }
  // Moves the list to another device (or none); its items are ready at once
  // when that device is initialized.
  void SetDXSound(TDXSound* sound);

  TWaveCollection Items;
};

}  // namespace fusewick
