#include <cstdio>
#include <exception>

#include "form/MainForm.h"
#include "platform/SdlAudio.h"
#include "platform/SdlPlatform.h"

int main() {
  try {
    fusewick::platform::SdlPlatform sdl;
    fusewick::platform::SetCurrent(&sdl);
    // Made after the platform so that it closes its output before SDL quits.
    fusewick::platform::SdlAudio audio;
    fusewick::platform::SetCurrentAudio(&audio);
    const int status = fusewick::RunApplication();
    fusewick::platform::SetCurrentAudio(nullptr);
    fusewick::platform::SetCurrent(nullptr);
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Fusewick: %s\n", e.what());
    return 1;
  }
}
