#include "engine/SoundDevice.h"

#include <algorithm>

#include "engine/Errors.h"

namespace fusewick {

// ---- the device

TDXSound::~TDXSound() {
  Finalize();
  NotifyAll(dsntDestroying);
}

void TDXSound::NotifyAll(TDXSoundNotifyType code) {
  // A listener may unregister itself while it is told.
  const std::vector<Listener> listeners = listeners_;
  for (const Listener& l : listeners) l.Callback(this, code);
}

void TDXSound::RegisterNotifyEvent(const void* component, TDXSoundNotifyEvent callback) {
  UnRegisterNotifyEvent(component);
  listeners_.push_back({component, std::move(callback)});
}

void TDXSound::UnRegisterNotifyEvent(const void* component) {
  std::erase_if(listeners_, [&](const Listener& l) { return l.Component == component; });
}

void TDXSound::Loaded() {
  if (!AutoInitialize) return;
  try {
    Initialize();
  } catch (const EDXSoundError&) {
    // No usable device: the game runs silent.
  }
}

void TDXSound::Initialize() {
  Finalize();
  NotifyAll(dsntInitializing);
  platform::Audio& audio = platform::CurrentAudio();
  if (!audio.OpenDevice()) throw EDXSoundError("Sound device could not be opened");
  audio_ = &audio;
  initialized_ = true;
  NotifyAll(dsntInitialize);
}

void TDXSound::Finalize() {
  if (!initialized_) return;
  NotifyAll(dsntFinalize);  // the lists free their buffers first
  audio_->CloseDevice();
  audio_ = nullptr;
  initialized_ = false;
}

void TDXSound::Restore() {
  if (initialized_) NotifyAll(dsntRestore);
}

// ---- the wave list

TDXWaveList::~TDXWaveList() { SetDXSound(nullptr); }

void TDXWaveList::SetDXSound(TDXSound* sound) {
  if (TDXSound* old = Items.DXSound()) old->UnRegisterNotifyEvent(this);
  Items.SetDXSound(sound);
  if (!sound) return;
  sound->RegisterNotifyEvent(this, [this](TDXSound*, TDXSoundNotifyType code) {
    switch (code) {
      case dsntInitialize: Items.Initialize(); break;
      case dsntFinalize: Items.Finalize(); break;
      case dsntRestore: Items.Restore(); break;
      case dsntDestroying: SetDXSound(nullptr); break;
      default: break;
    }
  });
  if (sound->Initialized()) Items.Initialize();
}

// ---- the collection's side of playing

void TWaveCollection::SetDXSound(TDXSound* sound) {
  Finalize();
  dxSound_ = sound;
}

void TWaveCollection::Initialize() {
  for (int i = 0; i < Count(); ++i) Items(i)->Initialize();
}

void TWaveCollection::Finalize() {
  for (int i = 0; i < Count(); ++i) Items(i)->Finalize();
}

void TWaveCollection::Restore() {
  for (int i = 0; i < Count(); ++i) Items(i)->Restore();
}

// ---- an item's buffers

namespace {
platform::WaveData WaveOf(const TWaveCollectionItem& item) {
  return {item.Format.data(), item.Format.size(), item.Samples.data(), item.Samples.size()};
}
}  // namespace

void TWaveCollectionItem::Initialize() {
  Finalize();
  initialized_ = true;
}

void TWaveCollectionItem::Finalize() {
  if (audio_) {
    for (platform::BufferId b : playBuffers_) audio_->FreeBuffer(b);
    if (main_) audio_->FreeBuffer(main_);
  }
  playBuffers_.clear();
  main_ = 0;
  audio_ = nullptr;
  initialized_ = false;
}

void TWaveCollectionItem::Restore() {
  if (main_) audio_->ReloadBuffer(main_, WaveOf(*this));
}

bool TWaveCollectionItem::MakeMainBuffer() {
  if (main_) return true;
  TDXSound* sound = Owner()->DXSound();
  if (!sound || !sound->Audio()) return false;
  audio_ = sound->Audio();
  main_ = audio_->CreateBuffer(WaveOf(*this), Name());
  return main_ != 0;
}

void TWaveCollectionItem::Play() {
  if (!initialized_ || !MakeMainBuffer()) return;
  if (Looped) {
    audio_->Stop(main_);
    audio_->Play(main_, true);
    return;
  }
  // The first play buffer that is free; else the oldest one once the item
  // plays as many as it may at once; else a new one.
  platform::BufferId b = 0;
  for (platform::BufferId id : playBuffers_)
    if (!audio_->Playing(id)) {
      b = id;
      break;
    }
  if (!b) {
    if (MaxPlayingCount > 0 && int32_t(playBuffers_.size()) >= MaxPlayingCount) {
      b = playBuffers_.front();
      std::rotate(playBuffers_.begin(), playBuffers_.begin() + 1, playBuffers_.end());
    } else {
      b = audio_->DuplicateBuffer(main_);
      if (!b) return;
      playBuffers_.push_back(b);
    }
  }
  audio_->Stop(b);
  audio_->Play(b, false);
}

void TWaveCollectionItem::Stop() {
  if (!main_) return;
  audio_->Stop(main_);
  for (platform::BufferId b : playBuffers_) audio_->Stop(b);
}

}  // namespace fusewick
