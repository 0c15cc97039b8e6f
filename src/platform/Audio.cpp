#include "platform/Audio.h"

#include "platform/NullAudio.h"

namespace fusewick::platform {

namespace {
Audio* current = nullptr;

// Answers when no audio is installed: no device, no songs.
NullAudio& Silent() {
  static NullAudio silent = [] {
    NullAudio a;
    a.DeviceAvailable = false;
    return a;
  }();
  return silent;
}
}  // namespace

Audio& CurrentAudio() { return current ? *current : Silent(); }
void SetCurrentAudio(Audio* a) { current = a; }

}  // namespace fusewick::platform
